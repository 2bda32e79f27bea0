#pragma once
// The compose window's subsystem: the editor in which notes are written and
// from which they are sent, with the keys it writes at exit.

namespace kelup {

class Shell;

class Compose {
public:
    explicit Compose(Shell& shell) : shell_(shell) {}

    bool EditorOpen() const { return EditorOpen_; }
    // Shutdown: the editor closes without asking.
    void CloseEditor();
    // "kelup.frh": the recipient-list menu items.
    void WriteRecipientMenuItems();
    // The editor's window sizes and the default note design, in kelup.ini.
    void WriteWindowKeys();

private:
    Shell& shell_;
    bool EditorOpen_ = false;
};

}  // namespace kelup
