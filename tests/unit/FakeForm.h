// An in-memory form for the dialog logic: remembers what was done and replays scripted answers.
#pragma once

#include "dialogs/Dialog.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

struct FakeControl {
    std::wstring text;
    bool enabled = true;
    bool checked = false;
    std::vector<std::wstring> entries;
    int selected = -1;

    bool operator==(const FakeControl& o) const
    {
        return std::tie(text, enabled, checked, entries, selected) ==
               std::tie(o.text, o.enabled, o.checked, o.entries, o.selected);
    }
};

struct FakeMessage {
    std::wstring text;
    std::wstring caption;
    unsigned style;
};

struct FakeLink {
    int id;
    const CMyStaticLink* link;
    std::wstring target;
    std::wstring caption;
};

class CFakeForm : public IForm {
public:
    explicit CFakeForm(CDialog& dialog) : m_dialog(dialog) { dialog.BindForm(this); }
    ~CFakeForm() override { m_dialog.BindForm(nullptr); }

    mutable std::map<int, FakeControl> controls;  // reading an unknown control gives a fresh one
    std::map<int, std::wstring> strings;
    int iconId = 0;
    bool hasSystemMenu = true;
    std::vector<std::pair<unsigned, std::wstring>> systemMenu;  // command 0 is a separator
    std::wstring programName = L"Velmora";

    // A request with no answer left is cancelled.
    std::deque<std::optional<std::wstring>> openFileAnswers;
    std::deque<FolderAnswer> folderAnswers;
    std::vector<OpenFileRequest> openFileRequests;
    std::vector<std::pair<std::wstring, unsigned>> folderRequests;
    std::vector<FakeMessage> messages;
    std::vector<std::wstring> opened;
    // Every modal or outward action in the order it happened: "open", "message", "file", "folder", "modal".
    std::vector<std::string> events;

    bool iconic = false;
    Size client{0, 0};
    std::optional<Point> paintedAt;

    std::function<int(CDialog&)> onRunModal;
    std::vector<int> modalTemplates;
    std::optional<int> endedWith;
    bool attachSucceeds = true;
    std::vector<FakeLink> links;

    FakeControl& Control(int id) { return controls[id]; }

    std::wstring ItemText(int id) const override { return controls[id].text; }
    void SetItemText(int id, std::wstring_view text) override { controls[id].text = text; }
    void EnableItem(int id, bool enable) override { controls[id].enabled = enable; }
    bool IsChecked(int id) const override { return controls[id].checked; }
    void SetChecked(int id, bool checked) override { controls[id].checked = checked; }
    void AddListEntry(int id, std::wstring_view text) override { controls[id].entries.emplace_back(text); }
    void SelectListEntry(int id, int index) override { controls[id].selected = index; }

    void SetIcons(int id) override { iconId = id; }
    std::wstring LoadText(int id) const override
    {
        const auto found = strings.find(id);
        return found == strings.end() ? std::wstring() : found->second;
    }
    bool AddSystemMenuItem(unsigned command, std::wstring_view text) override
    {
        if (!hasSystemMenu)
            return false;
        systemMenu.emplace_back(0u, L"");
        systemMenu.emplace_back(command, std::wstring(text));
        return true;
    }
    std::wstring ProgramName() const override { return programName; }

    std::optional<std::wstring> AskOpenFile(const OpenFileRequest& request) override
    {
        events.push_back("file");
        openFileRequests.push_back(request);
        return Next(openFileAnswers, std::optional<std::wstring>());
    }
    FolderAnswer AskFolder(std::wstring_view title, unsigned flags) override
    {
        events.push_back("folder");
        folderRequests.emplace_back(std::wstring(title), flags);
        return Next(folderAnswers, FolderAnswer{FolderOutcome::Cancelled, {}});
    }
    void ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override
    {
        events.push_back("message");
        messages.push_back({std::wstring(text), std::wstring(caption), style});
    }
    void ShellOpen(std::wstring_view address) override
    {
        events.push_back("open");
        opened.emplace_back(address);
    }

    bool IsIconic() const override { return iconic; }
    Size ClientSize() const override { return client; }
    Size IconSize() const override { return {32, 32}; }
    void PaintIcon(Point origin) override { paintedAt = origin; }

    int RunModal(CDialog& dialog) override
    {
        events.push_back("modal");
        modalTemplates.push_back(dialog.TemplateId());
        return onRunModal ? onRunModal(dialog) : kIdCancel;
    }
    void EndDialog(int result) override { endedWith = result; }
    bool AttachLink(int id, CMyStaticLink& link, std::wstring_view target, std::wstring_view caption) override
    {
        links.push_back({id, &link, std::wstring(target), std::wstring(caption)});
        return attachSucceeds;
    }

private:
    template <class T>
    static T Next(std::deque<T>& answers, T fallback)
    {
        if (answers.empty())
            return fallback;
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    CDialog& m_dialog;
};
