// SPDX-License-Identifier: MIT
#include "console_app.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "core/commands.h"
#include "core/dialog.h"
#include "core/headless_dialog.h"
#include "core/ids.h"
#include "core/local_file.h"
#include "varnix32.h"

namespace brisel::console {
namespace {

constexpr const char* kCancel = ":cancel";

void ProgressHandler(int h, long long done, long long total, void* user) {
    static_cast<CConsoleApp*>(user)->Progress(h, done, total);
}

// The commands whose dialog asks for a password, and that dialog.
constexpr std::pair<int, int> kPasswordDialogs[] = {
    {cmd::Login, dlg::Login},
    {cmd::ReLogin, dlg::ReLogin},
    {cmd::GateLogin, dlg::GateLogin},
    {cmd::LoginPort, dlg::LoginPort},
};
constexpr const char* kPasswordMask = "****";

// The line as echoed: a password among the dialog values shows as "****", so that it does not
// land in the kept output of a session.
std::string EchoedLine(const std::string& line, const std::vector<CWord>& words, int id,
                       std::size_t used) {
    for (const auto& [command, dialog] : kPasswordDialogs) {
        if (command != id) continue;
        std::size_t value = used;
        for (const CControlLayout& c : DialogLayout(dialog).controls) {
            if (!IsInputControl(c)) continue;
            if (value >= words.size()) break;
            if (c.kind == ControlKind::Password || c.label == "Password:") {
                const CWord& w = words[value];
                return line.substr(0, w.begin) + kPasswordMask + line.substr(w.end);
            }
            ++value;
        }
    }
    return line;
}

void PrintBlock(std::ostream& out, const std::string& head, const std::string& text) {
    out << "{" << head << "}\n";
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out << "| " << line << "\n";
    }
}

}  // namespace

CConsoleApp::CConsoleApp(std::ostream& out, bool echo) : out_(out), echo_(echo) {
    varnix_setprogresshandler(ProgressHandler, this);
    NewDocument("", nullptr);
}

CConsoleApp::~CConsoleApp() {
    varnix_setprogresshandler(nullptr, nullptr);
    // Closing windows ends no session: no library call is made.
    windows_.clear();
}

int CConsoleApp::Run(std::istream& in) {
    std::string line;
    while (std::getline(in, line))
        if (!RunLine(line)) break;
    return 0;
}

bool CConsoleApp::RunLine(const std::string& line) {
    auto words = SplitWords(line);
    if (words.empty() || (!words[0].quoted && words[0].text[0] == '#')) return true;
    std::size_t used = 0;
    const int id = FindCommandId(words, used);
    if (echo_) out_ << "> " << EchoedLine(line, words, id, used) << "\n";
    if (!words[0].quoted && (words[0].text == "window" || words[0].text == "Window") &&
        words.size() <= 2) {
        if (words.size() == 2)
            SelectWindow(words[1].text);
        else
            ListWindows();
        return true;
    }
    if (id == 0) {
        MessageBox("Unknown command: " + words[0].text, kAppTitle);
        return true;
    }
    values_.assign(words.begin() + static_cast<std::ptrdiff_t>(used), words.end());
    bool goOn = RunCommand(id);
    FinishProgress();
    if (!values_.empty()) {
        out_ << "(values left unused:";
        for (const auto& v : values_)
            out_ << " " << v.text;
        out_ << ")\n";
        values_.clear();
    }
    out_.flush();
    return goOn;
}

bool CConsoleApp::RunCommand(int id) {
    if (FindCommand(id)) {
        if (!active_) {
            MessageBox("No document window is open.", kAppTitle);
            return true;
        }
        CCommandContext context{*this, active_->Doc(), active_->View()};
        brisel::RunCommand(id, context);
        return true;
    }
    return RunFrameworkCommand(id);
}

bool CConsoleApp::RunFrameworkCommand(int id) {
    switch (id) {
        case cmd::FileNew:
            NewDocument("", nullptr);
            break;
        case cmd::FileOpen:
            OpenLog();
            break;
        case cmd::FileSave:
        case cmd::FileSaveAs:
            SaveLog();
            break;
        case cmd::FileClose:
            CloseWindow();
            break;
        case cmd::WindowNew:
            NewWindow();
            break;
        case cmd::AppAbout:
            ShowAbout(*this);
            break;
        case cmd::AppExit:
            return false;
        default:
            MessageBox("This command has no effect in the text front end.", kAppTitle);
    }
    return true;
}

void CConsoleApp::NewDocument(const std::string& title, const std::string* loadedText) {
    auto doc = std::make_shared<CBrisel32Doc>();
    doc->SetTitle(title.empty() ? "Dovrel" + std::to_string(++documentsMade_) : title);
    windows_.push_back(std::make_unique<CConsoleWindow>(doc, out_, [this] { FinishProgress(); }));
    active_ = windows_.back().get();
    if (loadedText) active_->View().LoadText(*loadedText);
    active_->View().OnInitialUpdate();
}

void CConsoleApp::NewWindow() {
    if (!active_) return;
    windows_.push_back(
        std::make_unique<CConsoleWindow>(active_->SharedDoc(), out_, [this] { FinishProgress(); }));
    active_ = windows_.back().get();
    Renumber();
    active_->View().OnInitialUpdate();
}

void CConsoleApp::CloseWindow() {
    if (!active_) return;
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [this](const auto& w) { return w.get() == active_; });
    it = windows_.erase(it);
    active_ = windows_.empty() ? nullptr : (it == windows_.end() ? windows_.front() : *it).get();
    Renumber();
}

void CConsoleApp::Renumber() {
    for (const auto& w : windows_) {
        int n = 0;
        for (const auto& other : windows_) {
            if (&other->Doc() == &w->Doc()) ++n;
            if (other == w) break;
        }
        w->number = n;
    }
}

void CConsoleApp::SelectWindow(const std::string& which) {
    for (const auto& w : windows_) {
        if (w->Title() == which) {
            active_ = w.get();
            return;
        }
    }
    auto number = ParseDialogInteger(which);
    if (number && *number >= 1 && *number <= static_cast<int>(windows_.size())) {
        active_ = windows_[static_cast<std::size_t>(*number - 1)].get();
        return;
    }
    MessageBox("No window " + which + ".", kAppTitle);
}

void CConsoleApp::ListWindows() {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        out_ << "window " << i + 1 << ": " << windows_[i]->Title()
             << (windows_[i].get() == active_ ? " (active)" : "") << "\n";
    }
}

void CConsoleApp::SaveLog() {
    std::string file;
    if (!active_ || !NextValue(file)) return;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << active_->View().SavedText();
    out.close();
    if (!out) MessageBox("Failed to save document.", kAppTitle);
}

void CConsoleApp::OpenLog() {
    std::string file;
    if (!NextValue(file)) return;
    std::optional<std::string> text = ReadLocalFile(file);
    if (!text) {
        MessageBox("Failed to open document.", kAppTitle);
        return;
    }
    NewDocument(std::filesystem::path(file).filename().string(), &*text);
}

bool CConsoleApp::NextValue(std::string& value) {
    if (values_.empty()) return false;
    bool cancel = !values_.front().quoted && values_.front().text == kCancel;
    value = values_.front().text;
    values_.pop_front();
    return !cancel;
}

// A dialog takes the line's values for its input controls in order. OK is pressed once the
// values are in; a dialog that stays open takes the next values, and closes (Cancel) when none
// are left. ":cancel" in place of a dialog's first value cancels it.
bool CConsoleApp::DoModal(CDialog& dialog) {
    CHeadlessDialog host(dialog, *this);
    host.Open();
    PrintDialogTexts(dialog, false);
    for (bool first = true;; first = false) {
        if (!values_.empty() && !values_.front().quoted && values_.front().text == kCancel) {
            values_.pop_front();
            return false;
        }
        std::size_t taken = 0;
        for (const CControlLayout& c : dialog.Layout().controls) {
            if (!IsInputControl(c) || values_.empty()) continue;
            host.Control(c.id) = values_.front().text;
            values_.pop_front();
            ++taken;
        }
        // Pressing OK again without new values would repeat the same operation.
        if (!first && taken == 0) return false;
        bool closed = host.PressOK();
        PrintDialogTexts(dialog, true);
        if (closed) return true;
    }
}

void CConsoleApp::PrintDialogTexts(const CDialog& dialog, bool outputs) {
    FinishProgress();
    for (const CControlLayout& c : dialog.Layout().controls) {
        std::string head = dialog.Title() + (c.label.empty() ? "" : "} {" + c.label);
        if (outputs) {
            if (c.kind == ControlKind::Output && !dialog.fields.Text(c.id).empty())
                PrintBlock(out_, head, dialog.fields.Text(c.id));
        } else if (c.kind == ControlKind::Static) {
            out_ << "{" << dialog.Title() << "} " << c.label << "\n";
        } else if (c.kind == ControlKind::List) {
            const auto& items = dialog.fields.listItems;
            for (std::size_t i = 0; i < items.size(); ++i)
                out_ << "{" << dialog.Title() << "} " << i << ": " << items[i].text << "\n";
        } else if (!IsNumberControl(c) && c.kind != ControlKind::Output &&
                   !dialog.fields.Text(c.id).empty()) {
            out_ << "{" << dialog.Title() << "} " << (c.label.empty() ? "" : c.label + " ")
                 << dialog.fields.Text(c.id) << "\n";
        }
    }
}

std::optional<std::string> CConsoleApp::ChooseFileToOpen(const std::string&) {
    std::string value;
    if (!NextValue(value)) return std::nullopt;
    return value;
}

void CConsoleApp::MessageBox(const std::string& text, const std::string& caption) {
    FinishProgress();
    out_ << "** " << caption << ": " << text << "\n";
}

void CConsoleApp::SetWindowTitle(CBrisel32Doc& doc, const std::string& title) {
    doc.SetTitle(title);
}

std::vector<CBrisel32Doc*> CConsoleApp::ConnectionWindows() {
    std::vector<CBrisel32Doc*> docs;
    if (active_) docs.push_back(&active_->Doc());
    for (const auto& w : windows_)
        if (w.get() != active_) docs.push_back(&w->Doc());
    return docs;
}

// One line per tenth of a known total, or per MiB without one; the last report is printed before
// the next output (the command's result) or when the command ends.
void CConsoleApp::Progress(int, long long done, long long total) {
    lastDone_ = done;
    lastTotal_ = total;
    long long step = total > 0 ? (done * 10) / total : done / (1 << 20);
    if (step == progressStep_) {
        lastPrinted_ = false;
        return;
    }
    progressStep_ = step;
    lastPrinted_ = true;
    PrintProgress();
}

void CConsoleApp::PrintProgress() {
    out_ << "Progress: " << lastDone_
         << (lastTotal_ >= 0 ? " of " + std::to_string(lastTotal_) : std::string()) << " bytes\n";
}

void CConsoleApp::FinishProgress() {
    if (progressStep_ >= 0 && !lastPrinted_) PrintProgress();
    progressStep_ = -1;
    lastPrinted_ = true;
}

int RunConsole(const char* file) {
    if (file) {
        std::ifstream in(file);
        if (!in) {
            std::cerr << "brisel32: cannot open " << file << "\n";
            return 2;
        }
        CConsoleApp app(std::cout, true);
        return app.Run(in);
    }
    CConsoleApp app(std::cout, !::isatty(STDIN_FILENO));
    return app.Run(std::cin);
}

}  // namespace brisel::console
