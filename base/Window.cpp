#include "base/Window.h"

namespace kelup {

namespace {
ExceptionHandler g_handler = nullptr;
}

void SetExceptionHandler(ExceptionHandler handler) { g_handler = handler; }

void ReportException(const char* what) noexcept {
    if (g_handler) g_handler(what);
}

}  // namespace kelup
