#pragma once
// Templates: five template slots and named template files from which notes
// are made.

namespace kelup {

class Shell;

class Templates {
public:
    explicit Templates(Shell& shell) : shell_(shell) {}

    // Reads the template titles into the main menu.
    void TempletePreRead();

private:
    Shell& shell_;
};

}  // namespace kelup
