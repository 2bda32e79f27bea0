// The compose subsystem: the one editor window, made once and shown for
// each note, and what the shutdown asks of it.

#include "compose/Compose.h"

#include "app/IniFile.h"
#include "app/Shell.h"
#include "compose/TInputEditer.h"

namespace kelup {

namespace {
// The compose window's size before it has ever been opened.
constexpr int kEditorW = 840, kEditorH = 600, kEditorPanelH = 170, kEditorShowPanelMode = 0;
}  // namespace

Compose::Compose(Shell& shell) : shell_(shell) {}

Compose::~Compose() {
    if (source_) source_->WireRecipientView(nullptr);
}

void Compose::WireRecipients(RecipientSource* source) {
    if (source_) source_->WireRecipientView(nullptr);
    source_ = source;
    if (source_) source_->WireRecipientView(this);
    if (editor_) editor_->SetRecipientSource(source_);
}

void Compose::ListsChanged() {
    if (editor_) editor_->ListsChanged();
}

TInputEditer& Compose::Editor() {
    if (!editor_) {
        editor_ = std::make_unique<TInputEditer>(shell_, readyAt_, appliedAt_);
        editor_->SetRecipientSource(source_);
        editor_->Create();
    }
    return *editor_;
}

EditResult Compose::Edit(const EditRequest& request) {
    if (EditorOpen_) return EditResult{};
    TInputEditer& editor = Editor();
    EditorOpen_ = true;
    EditResult result = editor.ShowModal(request, host_);
    EditorOpen_ = false;
    return result;
}

void Compose::AddRecentRecipients(const std::vector<std::wstring>& entries) {
    if (entries.empty()) return;
    Editor().AddRecentRecipients(entries);
}

std::vector<std::wstring> Compose::Lines() const {
    return editor_ ? editor_->Lines() : std::vector<std::wstring>{};
}

HWND Compose::EditorHandle() const { return editor_ ? editor_->Handle() : nullptr; }

void Compose::CloseEditor() {
    if (editor_) editor_->CloseNow();
}

void Compose::WriteRecipientMenuItems() {
    // One line per item of the recipient-list popup: name, "%%", caption.
    // Without the editor the items were never read: the file stays as it is.
    if (editor_) editor_->WriteRecentFile();
}

void Compose::WriteWindowKeys() {
    const Settings& Config = shell_.Config();
    IniFile Ini(shell_.Path().IniPath);
    TInputEditer::WindowKeys keys{kEditorW, kEditorH, kEditorPanelH, kEditorShowPanelMode};
    if (editor_ && editor_->Handle()) keys = editor_->Keys();
    Ini.WriteInt(L"Config", L"EditorW", keys.EditorW);
    Ini.WriteInt(L"Config", L"EditorH", keys.EditorH);
    Ini.WriteInt(L"Config", L"EditorPanelH", keys.EditorPanelH);
    Ini.WriteInt(L"Config", L"EditorShowPanelMode", keys.EditorShowPanelMode);
    Ini.WriteInt(L"Config", L"Colorx64", Config.Colorx64);
    Ini.WriteString(L"Config", L"FontName", Config.FontName);
    Ini.WriteInt(L"Config", L"FontSize", Config.FontSize);
    Ini.WriteInt(L"Config", L"Waku", Config.Waku);
    Ini.WriteInt(L"SPDATE", L"USETIME", Config.UseTime);
}

}  // namespace kelup
