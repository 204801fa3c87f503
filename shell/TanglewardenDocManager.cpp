#include "shell/TanglewardenDocManager.h"

#include "checker/LinkNames.h"
#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "editor/SyntaxColorizer.h"
#include "editor/ui/HTMLEditView.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/LocalPath.h"
#include "platform/core/RefPtr.h"
#include "platform/core/Text.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ModalDriver.h"
#include "platform/ui/View.h"
#include "res/Resources.h"
#include "shell/TanglewardenTemplate.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLogInterface.h"
#include "transfer/client/ResourceKind.h"

#include "platform/core/DesktopServices.h"

namespace
{
struct KindDesc
{
    int m_kind;
    UINT m_resource;
    const char* m_title; // null: the template's untitled title
};

constexpr KindDesc kKinds[] = {
    {kKindTask, IDR_TASK, nullptr},
    {kKindTransferQueue, IDR_QUEUE, "Transfer Queue"},
    {kKindTransferLog, IDR_LOG, "Log"},
    {kKindLinkReport, IDR_REPORT, "Report"},
    {kKindTextEditor, IDR_EDIT, "Edit"},
};

// The lower-cased extension with its dot ("" when the name has none).
std::string LowerExtension(const std::string& path)
{
    const char* dot = FindFileExtension(path.c_str());
    return dot ? MakeLower(dot) : std::string();
}

// Colouriser modes of the log and report windows.
constexpr int kColorHtml = 1;
constexpr int kColorCLike = 3;
constexpr int kColorLog = 4;

CFrameWnd* FrameOf(CDocument& document)
{
    for (CView* view : document.GetViews())
    {
        CFrameWnd* frame = view->GetParentFrame();
        while (frame && frame->GetParentFrame() && !dynamic_cast<CMDIChildWnd*>(frame))
            frame = frame->GetParentFrame();
        if (frame)
            return frame;
    }
    return nullptr;
}
} // namespace

void ActivateDocumentFrame(CDocument& document)
{
    CFrameWnd* frame = FrameOf(document);
    if (!frame)
        return;
    if (auto* child = dynamic_cast<CMDIChildWnd*>(frame))
    {
        if (QWidget* sub = child->parentWidget(); sub && sub->isMinimized())
            sub->showNormal();
        child->MDIActivate();
        return;
    }
    if (frame->isMinimized())
        frame->showNormal();
    frame->raise();
    frame->activateWindow();
}

CHTMLEditView* FindEditView(CDocument& document)
{
    for (CView* view : document.GetViews())
    {
        if (auto* edit = dynamic_cast<CHTMLEditView*>(view))
            return edit;
    }
    return nullptr;
}

namespace
{
// Shows a text of the log registry in the document's window, whose view
// follows it as it grows; a window without the editor view gets the text
// as it stands.
void ShowRegistryText(CTanglewardenDoc& document, int id, ITransferLog& text,
                      std::unique_ptr<CEditColorizer> colorizer)
{
    // What a window showed before (a file, another log) is no longer its
    // name.
    if (!document.GetPathName().empty())
        document.SetPathName(std::string(), false);
    document.SetLogId(id);
    if (CHTMLEditView* view = FindEditView(document))
    {
        view->SetColorizer(colorizer.release(), true, false);
        view->ShowText(&text); // the view keeps its own reference while it follows
        return;
    }
    std::string all;
    text.GetText(all);
    document.SetText(all);
}

// The title of a new window of the kind; null for the template's own.
const char* DefaultTitleOf(int kind)
{
    for (const KindDesc& desc : kKinds)
    {
        if (desc.m_kind == kind)
            return desc.m_title;
    }
    return nullptr;
}
} // namespace

PromptFilter MakePromptFilter(const std::string& extension, int kind)
{
    struct Pair
    {
        const char* m_name;
        const char* m_pattern;
    };
    static constexpr Pair kProject{"Tanglewarden Files (*.vbb)", "*.vbb"};
    static constexpr Pair kLog{"Log Files (*.log)", "*.log"};
    static constexpr Pair kWeb{"Web Files (*.html;*.htm)", "*.html;*.htm"};
    static constexpr Pair kText{"Text Files (*.txt)", "*.txt"};
    static constexpr Pair kTextDocs{"Text Documents (*.txt;*.html;*.htm)", "*.txt;*.html;*.htm"};

    std::vector<Pair> pairs;
    if (extension == ".vbb" || kind == kKindTask)
        pairs = {kProject};
    else if (extension == ".log" || kind == kKindTransferLog)
        pairs = {kLog};
    else if (!extension.empty() || kind != 0)
        pairs = {kWeb, kText, kTextDocs};
    else
        pairs = {kProject, kLog, kWeb, kText, kTextDocs};

    PromptFilter result;
    for (const Pair& pair : pairs)
        result.m_filter += std::string(pair.m_name) + "|" + pair.m_pattern + "|";
    result.m_filter += std::string(LoadResourceString(IDS_ALL_FILES)) + "|*.*||";
    result.m_selected = 1;
    // The selected pattern without its "*." and cut before a second pattern.
    std::string ext = pairs.front().m_pattern;
    ext.erase(0, ext.find_first_not_of("(*."));
    result.m_defaultExtension = ext.substr(0, ext.find(';'));
    return result;
}

CTanglewardenDocManager::CTanglewardenDocManager(CPropertySet& settings) : m_settings(settings)
{
}

CTanglewardenDocManager::~CTanglewardenDocManager() = default;

void CTanglewardenDocManager::CreateDocTemplates(CDocTemplate::FrameFactory plainFrame)
{
    for (const KindDesc& kind : kKinds)
    {
        AddDocTemplate(std::make_unique<CTanglewardenTemplate>(
            kind.m_kind, kind.m_resource, LoadResourceString(kind.m_resource),
            [this] { return std::make_unique<CTanglewardenDoc>(m_settings); }, plainFrame));
    }
}

CTanglewardenTemplate* CTanglewardenDocManager::FindTemplateOfKind(int kind) const
{
    for (CDocTemplate* docTemplate : GetTemplates())
    {
        auto* ours = dynamic_cast<CTanglewardenTemplate*>(docTemplate);
        if (ours && ours->GetKind() == kind)
            return ours;
    }
    return nullptr;
}

bool CTanglewardenDocManager::CheckTemplates() const
{
    if (!GetTemplates().empty())
        return true;
    AfxMessageBox(LoadResourceString(IDS_FAILED_TO_CREATE_DOCUMENT), MB_OK | MB_ICONERROR);
    return false;
}

std::vector<CTanglewardenDoc*> CTanglewardenDocManager::GetDocumentsOfKind(int kind) const
{
    std::vector<CTanglewardenDoc*> documents;
    if (CTanglewardenTemplate* docTemplate = FindTemplateOfKind(kind))
    {
        for (CDocument* document : docTemplate->GetDocuments())
        {
            if (auto* ours = dynamic_cast<CTanglewardenDoc*>(document))
                documents.push_back(ours);
        }
    }
    return documents;
}

CTanglewardenDoc* CTanglewardenDocManager::NewDocumentOfKind(int kind)
{
    if (kind == kKindTask)
        return NewTaskDocument(nullptr);
    CTanglewardenTemplate* docTemplate = FindTemplateOfKind(kind);
    if (!docTemplate)
        return nullptr;
    auto* document = dynamic_cast<CTanglewardenDoc*>(docTemplate->OpenDocumentFile(std::string(), true));
    if (!document)
        return nullptr;
    if (const char* title = DefaultTitleOf(kind))
        document->SetTitle(title);
    return document;
}

CTanglewardenDoc* CTanglewardenDocManager::NewTaskDocument(const CTaskSettings* task)
{
    if (!CheckTemplates())
        return nullptr;
    CTaskSettings chosen;
    if (task)
    {
        chosen = *task;
    }
    else if (!m_newActionPrompt || !m_newActionPrompt(chosen))
    {
        return nullptr;
    }
    const int action = GetIntOr(chosen, TASK_ACTION);
    if (action == 4 || action == 5)
        return OpenEditDocument(chosen.GetUrl());

    CTanglewardenTemplate* docTemplate = FindTemplateOfKind(kKindTask);
    if (!docTemplate)
        return nullptr;
    auto* document = dynamic_cast<CTanglewardenDoc*>(docTemplate->OpenDocumentFile(std::string(), true));
    if (!document)
        return nullptr;
    document->SetTask(&chosen);
    if (m_taskStarter)
        m_taskStarter(*document);
    return document;
}

CTanglewardenDoc* CTanglewardenDocManager::OpenDocumentByPath(const std::string& path)
{
    if (!CheckTemplates())
        return nullptr;
    std::string file;
    if (!ToFileSystemPath(path, file) || !FileExists(file))
        return nullptr;
    const std::string extension = LowerExtension(file);
    if (extension == ".vbb")
    {
        CTanglewardenTemplate* docTemplate = FindTemplateOfKind(kKindTask);
        auto* document =
            docTemplate ? dynamic_cast<CTanglewardenDoc*>(docTemplate->OpenDocumentFile(file, true)) : nullptr;
        if (document && m_taskStarter)
            m_taskStarter(*document);
        return document;
    }
    if (extension == ".log")
        return OpenLogDocument(file);
    if (GetIntOr(m_settings, SETTING_MISC_CHECK_HTML_ON_OPEN) != 0)
    {
        CTaskSettings task(file, &m_settings);
        task.SetInt(TASK_RECURSION, 1);
        return NewTaskDocument(&task);
    }
    const int kind = GetResourceKind({}, file);
    if (kind == kTypeText || kind == kTypeHtml)
        return OpenEditDocument(file);
    return nullptr;
}

CTanglewardenDoc* CTanglewardenDocManager::OpenEditDocument(const std::string& path)
{
    std::string file;
    if (path.empty())
    {
        // A new page starts from the user's template, which is first copied
        // from the one beside the program when the templates folder lacks it.
        const std::string folder = m_settings.GetStringValue(SETTING_MISC_TEMPLATES_PATH);
        file = CombinePath(folder.empty() ? GetModuleDirectory() : folder, "Default.html");
        if (!folder.empty() && !FileExists(file))
            (void)CopyFileCreatingDirs(GetModuleFilePath("Default.html"), file);
    }
    else if (!ToFileSystemPath(path, file))
    {
        file.clear(); // an address: its view fetches what it shows
    }
    if (!file.empty() && !path.empty())
    {
        if (CTanglewardenDoc* open = FindEditDocument(file, true))
            return open;
    }
    CTanglewardenDoc* document = NewDocumentOfKind(kKindTextEditor);
    if (!document)
        return nullptr;
    CHTMLEditView* view = FindEditView(*document);
    if (!view)
    {
        // A window without the editor view gets the file's text as it stands.
        if (!file.empty() && FileExists(file) && !document->OnOpenDocument(file))
            document->SetText({});
    }
    else if (!file.empty())
    {
        view->ShowLineNumbers(true, false);
        const std::string extension = LowerExtension(file);
        bool loaded = false;
        if (extension.find("htm") != std::string::npos)
        {
            loaded = view->LoadPageFile(file, false, nullptr, 0, path.empty());
        }
        else
        {
            loaded = view->LoadLocalFile(file, false);
            const bool cLike = extension == ".h" || extension == ".hpp" || extension == ".c" || extension == ".cpp";
            view->SetColorizer(cLike ? new CSyntaxColorizer(kColorCLike) : nullptr, cLike, true);
        }
        // The loaded text is the unchanged state. A load that failed shows
        // its reason in the window: that text must never be saved over the
        // file, so the window keeps no file name and Save asks for one.
        view->SetSavePoint();
        if (!loaded && !path.empty())
        {
            document->SetTitle(file);
            view->UpdateFrameState();
            return document;
        }
    }
    if (path.empty())
        document->SetTitle("[Untitled]");
    else if (!file.empty())
        document->SetPathName(file);
    else
        document->SetTitle(path);
    if (view)
        view->UpdateFrameState();
    return document;
}

CTanglewardenDoc* CTanglewardenDocManager::OpenLogDocument(const std::string& path)
{
    CTanglewardenDoc* document = FindDocumentOfKind(-1, true, kKindTransferLog, path);
    if (!document && GetIntOr(m_settings, SETTING_MISC_SINGLE_LOG_WINDOW) != 0)
        document = FindDocumentOfKind(-1, true, kKindTransferLog);
    if (!document)
        document = NewDocumentOfKind(kKindTransferLog);
    if (!document)
        return nullptr;
    if (CHTMLEditView* view = FindEditView(*document))
    {
        (void)view->LoadLocalFile(path, true); // a failure shows its reason in the view
        view->SetColorizer(new CSyntaxColorizer(kColorLog), true, true);
    }
    else if (!document->OnOpenDocument(path))
    {
        document->SetText({});
    }
    document->SetPathName(path, false);
    document->SetLogId(0);
    return document;
}

CTanglewardenDoc* CTanglewardenDocManager::WindowForId(int kind, int id, int singleSetting, bool& asItIs)
{
    asItIs = false;
    if (GetIntOr(m_settings, singleSetting) != 0)
    {
        if (CTanglewardenDoc* first = FindDocumentOfKind(-1, true, kind))
            return first;
    }
    else
    {
        for (CTanglewardenDoc* open : GetDocumentsOfKind(kind))
        {
            if (open->GetLogId() == id)
            {
                ActivateDocumentFrame(*open);
                asItIs = true;
                return open;
            }
        }
    }
    return NewDocumentOfKind(kind);
}

CTanglewardenDoc* CTanglewardenDocManager::OpenLogDocument(int logId, CLogRegistry& logs)
{
    if (logId == 0 || logId == -1)
        return nullptr;
    bool asItIs = false;
    CTanglewardenDoc* document = WindowForId(kKindTransferLog, logId, SETTING_MISC_SINGLE_LOG_WINDOW, asItIs);
    if (!document || asItIs)
        return document;
    ITransferLog* raw = logs.GetLog(logId);
    if (!raw)
        return document;
    CRefPtr<ITransferLog> log = CRefPtr<ITransferLog>::Adopt(raw);
    if (CHTMLEditView* view = FindEditView(*document))
        view->ShowLineNumbers(false, false);
    ShowRegistryText(*document, logId, *log.Get(), std::make_unique<CSyntaxColorizer>(kColorLog));
    const std::string name = log->GetName();
    document->SetTitle(name.empty() ? std::string(DefaultTitleOf(kKindTransferLog)) : name);
    return document;
}

CTanglewardenDoc* CTanglewardenDocManager::OpenReportDocument(int reportId, int format)
{
    if (!m_logs || reportId == 0 || reportId == -1)
        return nullptr;
    bool asItIs = false;
    CTanglewardenDoc* document = WindowForId(kKindLinkReport, reportId, SETTING_MISC_SINGLE_REPORT_WINDOW, asItIs);
    if (!document || asItIs)
        return document;
    ITransferLog* raw = m_logs->GetLog(reportId);
    if (!raw)
        return document;
    CRefPtr<ITransferLog> report = CRefPtr<ITransferLog>::Adopt(raw);
    if (CHTMLEditView* view = FindEditView(*document))
    {
        (void)view->SetLocked(true);
        view->EnableUndo(false);
        view->ShowLineNumbers(true, false);
    }
    const bool html = format == 1 || format == 3;
    ShowRegistryText(*document, reportId, *report.Get(),
                     html ? std::make_unique<CSyntaxColorizer>(kColorHtml) : nullptr);
    return document;
}

CTanglewardenDoc* CTanglewardenDocManager::FindDocumentOfKind(int id, bool activate, int kind,
                                                              const std::string& path) const
{
    for (CTanglewardenDoc* document : GetDocumentsOfKind(kind))
    {
        const bool found = path.empty() ? id == -1 : document->GetPathName() == path;
        if (!found)
            continue;
        if (activate)
            ActivateDocumentFrame(*document);
        return document;
    }
    return nullptr;
}

CTanglewardenDoc* CTanglewardenDocManager::FindEditDocument(const std::string& path, bool activate) const
{
    if (path.empty())
        return nullptr;
    return FindDocumentOfKind(0, activate, kKindTextEditor, path);
}

void CTanglewardenDocManager::CloseAllOfKind(int kind)
{
    for (CTanglewardenDoc* document : GetDocumentsOfKind(kind))
    {
        // A close request, as the user's: a modified document still asks.
        if (CFrameWnd* frame = FrameOf(*document))
        {
            if (auto* child = dynamic_cast<CMDIChildWnd*>(frame))
                child->MDIDestroy();
            else
                frame->close();
        }
    }
}

bool CTanglewardenDocManager::DoPromptFileName(std::string& name, const std::string& title, unsigned flags,
                                               bool open, CDocTemplate* docTemplate)
{
    IFilePicker* picker = GetFilePicker();
    if (!picker)
        return false;
    auto* ours = dynamic_cast<CTanglewardenTemplate*>(docTemplate);
    const PromptFilter filter = MakePromptFilter(LowerExtension(name), ours ? ours->GetKind() : 0);
    FileDialogRequest request;
    request.m_save = !open;
    request.m_fileName = name;
    request.m_title = title;
    request.m_filter = filter.m_filter;
    request.m_filterIndex = filter.m_selected;
    request.m_defaultExtension = filter.m_defaultExtension;
    request.m_confirmOverwrite = !open; // a save always asks before it replaces a file
    const std::string chosen = picker->PickFile(request);
    if (chosen.empty())
        return false;
    name = chosen;
    return true;
}

CTanglewardenDoc* CTanglewardenDocManager::OnFileNew()
{
    return NewTaskDocument(nullptr);
}

CTanglewardenDoc* CTanglewardenDocManager::OnFileOpen()
{
    std::string name;
    if (!DoPromptFileName(name, LoadResourceString(IDS_OPEN), OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, true, nullptr))
        return nullptr;
    return OpenDocumentByPath(name);
}

CDocument* CTanglewardenDocManager::OpenDocumentFile(const std::string& path)
{
    return OpenDocumentByPath(path);
}
