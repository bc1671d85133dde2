#include "win/message_box.h"

#include "files/win/wide_text.h"
#include "model/path_text.h"
#include "win/resources.h"

namespace win {

namespace {
MessageBoxAnswerer& Answerer() {
    static MessageBoxAnswerer answerer;
    return answerer;
}
}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    if (const MessageBoxAnswerer& answer = Answerer()) return answer({owner, text, caption, type});
    return MessageBoxW(owner, bw::Wide(text).c_str(), bw::Wide(caption).c_str(), type);
}

int AppMessageBox(HWND owner, const std::string& text, UINT type) {
    return ShowMessageBox(owner, text, AppTitle(), type);
}

int AppMessageBox(HWND owner, UINT stringId, UINT type) {
    return AppMessageBox(owner, LoadResString(stringId), type);
}

int PathMessageBox(HWND owner, UINT stringId, const std::string& path, UINT type, const std::string& caption) {
    return ShowMessageBox(owner, FormatArgument(LoadResString(stringId), bw::ShortPath(path)), caption, type);
}

MessageBoxAnswerer SetMessageBoxAnswerer(MessageBoxAnswerer answerer) {
    MessageBoxAnswerer old = std::move(Answerer());
    Answerer() = std::move(answerer);
    return old;
}

namespace {
FileDialogAnswerer& FileAnswerer() {
    static FileDialogAnswerer answerer;
    return answerer;
}
}  // namespace

bool AnswerFileDialog(const FileDialogRequest& request, FileDialogAnswer& answer) {
    const FileDialogAnswerer& answerer = FileAnswerer();
    if (!answerer) return false;
    answer = answerer(request);
    return true;
}

FileDialogAnswerer SetFileDialogAnswerer(FileDialogAnswerer answerer) {
    FileDialogAnswerer old = std::move(FileAnswerer());
    FileAnswerer() = std::move(answerer);
    return old;
}

}  // namespace win
