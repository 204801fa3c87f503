#include "HTMLEditView.h"

#include "HTMLColorScheme.h"
#include "LinkColorizer.h"

#include "checker/FormData.h"
#include "checker/FormItem.h"
#include "checker/ui/FormControls.h"
#include "checker/ui/FormWnd.h"
#include "checker/ui/TanglewardenDoc.h"
#include "editor/EditTextBuffer.h"
#include "foundation/files/RawFile.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/StringLineSink.h"
#include "platform/core/PosixFile.h"
#include "platform/ui/ModalDriver.h"
#include "res/ResourceIds.h"
#include "res/Resources.h"
#include "widgets/PictureWnd.h"
#include "widgets/TextPromptDlg.h"

#include "foundation/desktop/FileBrowsing.h"
#include "platform/core/Text.h"
#include "platform/ui/ChildTabColor.h"
#include "platform/ui/CommandActions.h"
#include "platform/ui/FrameWnd.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QResizeEvent>

#include <vector>

namespace
{
constexpr int kChildId = 10001;
// A file of this size or more is not read into the view.
constexpr int64_t kMaxFileBytes = int64_t(1) << 31;
// The fill of a failed image (0x00RRGGBB): a light grey.
constexpr uint32_t kPlaceholderColor = 0xC0C0C0;

// The form child hands every control notification back to the view.
// The rows of the task menu's "Edit" pop-up, one level up so that they
// fill a context menu.
std::vector<MenuItemDesc> EditPopupRows()
{
    std::vector<MenuItemDesc> rows;
    const MenuDesc* menu = FindMenu(IDR_TASK);
    if (!menu)
        return rows;
    bool inside = false;
    for (const MenuItemDesc& row : menu->m_items)
    {
        if (row.m_level == 0)
        {
            std::string title;
            for (const char* c = row.m_text ? row.m_text : ""; *c; ++c)
                if (*c != '&')
                    title += AsciiToLower(*c);
            inside = row.m_id == 0 && title == "edit";
            continue;
        }
        if (inside)
            rows.push_back({row.m_level - 1, row.m_id, row.m_text});
    }
    return rows;
}

class CViewFormWnd : public CFormWnd
{
public:
    CViewFormWnd(CHTMLEditView& view) : CFormWnd(&view), m_view(view) {}
    void OnFormCommand(CFormItem& item, int code) override { m_view.OnFormCommand(item, code); }

private:
    CHTMLEditView& m_view;
};
}

CHTMLEditView::CHTMLEditView(QWidget* parent) : CColorEditView(parent)
{
    SetScheme(std::make_unique<CHTMLColorScheme>());
    // The new scheme reads the view's colours only once it has them.
    GetScheme().UpdateDerivedColors();
    OnCommand(ID_EDIT_FIND, [this] { OnFind(); });
    OnUpdateCommand(ID_EDIT_FIND, [this](CCmdUI& ui) { ui.Enable(IsTextAreaEnabled()); });
    OnCommand(ID_EDIT_FIND_NEXT, [this] { OnFindNext(); });
    OnUpdateCommand(ID_EDIT_FIND_NEXT, [this](CCmdUI& ui) { ui.Enable(IsTextAreaEnabled()); });
    OnCommand(ID_EDIT_LOWER_CASE, [this] { ChangeCase(1); });
    OnUpdateCommand(ID_EDIT_LOWER_CASE, [this](CCmdUI& ui) { ui.Enable(IsEditable()); });
    OnCommand(ID_EDIT_UPPER_CASE, [this] { ChangeCase(0); });
    OnUpdateCommand(ID_EDIT_UPPER_CASE, [this](CCmdUI& ui) { ui.Enable(IsEditable()); });
}

CHTMLEditView::~CHTMLEditView()
{
    if (m_form)
        m_form->DestroyControls();
    m_form.reset();
}

void CHTMLEditView::OnInitialUpdate()
{
    auto* doc = dynamic_cast<CTanglewardenDoc*>(GetDocument());
    m_documentBuffer = doc ? doc->GetText() : nullptr;
    if (m_documentBuffer)
        AttachBuffer(m_documentBuffer, false);
    else
        AttachBuffer(new CEditTextBuffer, true);
    GetBuffer()->SetTabSize(TabSize());
    CColorEditView::OnInitialUpdate();
    SetLocked(true);
    if (!m_image)
    {
        m_image = new CPictureWnd(this);
        m_image->setObjectName("image view");
        m_image->setProperty("childId", kChildId);
        m_image->SetCursors(QCursor(Qt::OpenHandCursor), QCursor(Qt::ClosedHandCursor));
        m_image->SetDragEnabled(true);
        m_image->hide();
    }
    SetMode(kModeText);
}

// ---- Settings ----------------------------------------------------------------

int CHTMLEditView::TabSize() const
{
    return m_settings ? GetIntOr(*m_settings, SETTING_MISC_DEFAULT_TAB_SIZE, 4) : 4;
}

bool CHTMLEditView::AutoHighlight() const
{
    return m_settings ? GetIntOr(*m_settings, SETTING_LINKS_AUTO_HIGHLIGHT_HTML_LINKS, 1) != 0 : true;
}

std::string CHTMLEditView::GetLastSearch() const
{
    return m_lastSearch;
}

void CHTMLEditView::SetLastSearch(const std::string& text)
{
    m_lastSearch = text;
}

// ---- Modes -------------------------------------------------------------------

void CHTMLEditView::FitChildren()
{
    const QRect area = rect();
    if (m_image && m_mode == kModeImage)
        m_image->setGeometry(area);
    if (m_form && m_mode == kModeForm)
        m_form->setGeometry(area);
}

void CHTMLEditView::SetMode(int mode)
{
    m_mode = mode;
    if (m_image)
    {
        if (mode == kModeImage)
        {
            m_image->SetOffset(0, 0);
            m_image->setGeometry(rect());
            m_image->setEnabled(true);
            m_image->show();
            update();
        }
        else
        {
            m_image->setEnabled(false);
            m_image->hide();
            (void)m_image->SetBitmapSize(1, 1);
        }
    }
    if (m_form)
    {
        if (mode == kModeForm)
        {
            m_form->OnFormChanged();
            m_form->setGeometry(rect());
            m_form->setEnabled(true);
            m_form->show();
            update();
        }
        else
        {
            m_form->DestroyControls();
            m_form->hide();
            m_form->setEnabled(false);
        }
    }
    if (mode != kModeSource && GetAttached())
        AttachSource(nullptr);
    if (mode >= kModeSource && mode <= kModeHtml)
    {
        EnableTextArea(true, true);
        while (IsRedrawLocked())
            SetRedraw(true);
        return;
    }
    if (!IsRedrawLocked())
        SetRedraw(false);
    EnableTextArea(false, false);
    SetLocked(true);
    EnableUndo(false);
    SetColorizer(nullptr, false, false);
    SetText("", false, 0);
    if (mode == kModeEmpty)
        while (IsRedrawLocked())
            SetRedraw(true);
}

void CHTMLEditView::ShowEmpty()
{
    m_filePath.clear();
    m_linkContext = 0;
    SetMode(kModeEmpty);
}

void CHTMLEditView::ShowText(ITransferLog* source)
{
    m_filePath.clear();
    m_linkContext = 0;
    // The mode first: it would detach a source attached before it.
    SetMode(kModeSource);
    AttachSource(source);
}

void CHTMLEditView::ShowError(const std::string& message, int scrollTo)
{
    if (GetAttached())
        AttachSource(nullptr);
    SetText(message, false, scrollTo);
    SetMode(kModeText);
}

// ---- Loading -----------------------------------------------------------------

bool CHTMLEditView::LoadLocalFile(const std::string& path, bool readOnly)
{
    return LoadFile(kLoadLocal, path, readOnly, nullptr, 0, false, 0);
}

bool CHTMLEditView::LoadPageFile(const std::string& path, bool readOnly, const CLinkChecker* engine,
                                 int linkContext, bool tolerant)
{
    return LoadFile(kLoadPage, path, readOnly, engine, linkContext, tolerant, 0);
}

bool CHTMLEditView::LoadHtmlFile(const std::string& path, bool readOnly, const CLinkChecker* engine,
                                 int linkContext, int nodeMask)
{
    return LoadFile(kLoadHtml, path, readOnly, engine, linkContext, false, nodeMask);
}

void CHTMLEditView::UseLinkColorizer(const CLinkChecker* engine, int linkContext)
{
    auto* colorizer = new CLinkColorizer(m_filePath, engine, linkContext);
    colorizer->SetAutoHighlight(AutoHighlight());
    SetColorizer(colorizer, true, false);
}

bool CHTMLEditView::LoadFile(LoadKind kind, const std::string& path, bool readOnly, const CLinkChecker* engine,
                             int linkContext, bool tolerant, int nodeMask)
{
    // Paths compare exactly: "A.html" and "a.html" are two files, and a
    // reload of one must not keep the other's place.
    const bool sameFile = path == m_filePath && !(kind == kLoadPage && tolerant);
    if (!IsRedrawLocked())
        SetRedraw(false);
    if (GetAttached())
        AttachSource(nullptr);
    ClearUndo();
    SetLocked(true);
    EnableUndo(false);
    m_linkContext = 0;
    if (path.empty() && !tolerant)
    {
        m_filePath.clear();
        ShowError("ERROR: empty file name");
        return false;
    }
    const CEditSelection selection = GetSelection();
    int topLine = 0;
    int leftColumn = 0;
    GetScrollPosition(topLine, leftColumn);
    m_filePath = tolerant ? std::string() : path;
    if (kind != kLoadLocal)
        m_linkContext = linkContext;

    std::string text;
    CRawFile file;
    if (!path.empty() && file.Open(path, kOpenReadOnly))
    {
        if (!file.ReadAll(text, kMaxFileBytes) && !tolerant)
        {
            ShowError("ERROR: is not ASCII file");
            return false;
        }
    }
    else if (!tolerant)
    {
        ShowError("ERROR: cannot open local file");
        return false;
    }
    if (GetBuffer())
        GetBuffer()->SetTabSize(TabSize());

    if (kind == kLoadHtml)
    {
        CXmlNode root;
        CXmlParser(CXmlParser::kHtml).ParseString(root, text, nullptr);
        CStringLineSink sink;
        root.Write(sink, nodeMask == 2 ? "" : "\t", "", "\r\n", nodeMask, false);
        text = sink.GetText();
    }
    if (kind == kLoadPage || (kind == kLoadHtml && (nodeMask & 0x7C)))
        UseLinkColorizer(engine, m_linkContext);
    else if (kind == kLoadHtml)
        SetColorizer(nullptr, false, false);

    SetText(text, false, 0);
    SetLocked(readOnly);
    EnableUndo(!readOnly);
    if (sameFile)
    {
        SetSelection(selection.m_anchorLine, selection.m_anchorColumn, selection.m_caretLine,
                     selection.m_caretColumn, false);
        SetScrollPosition(topLine, leftColumn);
    }
    SetMode(kind == kLoadLocal ? kModeText : kModeHtml);
    return true;
}

void CHTMLEditView::AttachLinkColorizer(const CLinkChecker* engine, int linkContext)
{
    if (m_mode != kModeHtml)
        return;
    m_linkContext = engine ? linkContext : 0;
    UseLinkColorizer(engine, m_linkContext);
    update();
}

bool CHTMLEditView::SetImage(const std::string& path)
{
    m_filePath = path;
    m_linkContext = 0;
    bool loaded = false;
    if (m_image)
    {
        loaded = m_image->LoadFile(path, CColorTriple{255, 255, 255});
        if (!loaded && m_image->SetBitmapSize(14, 10))
            m_image->GetBitmap().Fill(kPlaceholderColor);
    }
    SetMode(kModeImage);
    return loaded;
}

// ---- Form --------------------------------------------------------------------

void CHTMLEditView::ShowFromView(const CFormData& form)
{
    if (!m_form)
    {
        m_form = std::make_unique<CViewFormWnd>(*this);
        m_form->setObjectName("from view");
        m_form->setProperty("childId", kChildId);
        m_form->resize(1, 1);
    }
    m_form->GetForm() = form;
    SetMode(kModeForm);
}

bool CHTMLEditView::ForwardToFormView(bool backwards)
{
    return m_mode == kModeForm && m_form && m_form->MoveFocus(backwards);
}

void CHTMLEditView::FocusFormField(bool first)
{
    CFrameWnd* frame = GetParentFrame();
    if (!frame || frame->GetActiveView() != this || m_mode != kModeForm || !m_form)
        return;
    CFormData& form = m_form->GetForm();
    if (QWidget* control = first ? GetFirstTabStopControl(form) : GetLastTabStopControl(form))
        control->setFocus();
}

void CHTMLEditView::OnFormCommand(CFormItem& item, int code)
{
    if (code != 0 || !m_form)
        return;
    CFormData& form = m_form->GetForm();
    const std::string& type = item.m_typeName;
    const auto recompose = [&form](std::string_view pressed) {
        ReadAll(form, true);
        form.ComposeSubmitData(pressed);
        form.SetSelectedValue();
    };
    if (type == "_UPDATE_")
        recompose("");
    else if (type == "FILE")
    {
        // The Browse button follows its file field.
        int index = -1;
        for (int i = 0; i < form.GetItemCount(); ++i)
            if (form.GetItem(i) == &item)
                index = i;
        if (index > 0)
        {
            ReadAll(form, true);
            const std::string chosen =
                BrowseForFile(false, form.GetItem(index - 1)->m_value, false, WindowHandle(), "", "");
            if (!chosen.empty())
                form.SetValue(index - 1, chosen);
        }
        recompose("");
    }
    else if (type == "RESET" || type == "_RESET_")
    {
        form.ResetAll();
        form.ComposeSubmitData("");
        ReadAll(form, false);
        form.SetSelectedValue();
    }
    else if (type == "SUBMIT" || type == "IMAGE")
        recompose(item.m_name);
    else if (type == "_SUBMIT_" && m_formTarget)
        m_formTarget(form);
}

// ---- Find --------------------------------------------------------------------

bool CHTMLEditView::FindWithWrap(const std::string& text)
{
    if (FindNext(text, false))
        return true;
    // One wrap-around: the second search runs from the top.
    SetSelection(0, 0, 0, 0, false);
    if (FindNext(text, false))
        return true;
    GetModalDriver().MessageBox(this, "Cannot find " + text, "", MB_OK);
    return false;
}

void CHTMLEditView::OnFind()
{
    CTextPromptDlg dialog(this);
    dialog.m_caption = LoadResourceString(IDS_FIND_IN_LIST);
    dialog.m_label = LoadResourceString(IDS_FIND_WHAT);
    dialog.m_text = GetLastSearch();
    const CEditSelection& selection = GetSelection();
    std::string selected;
    int64_t start = 0;
    int64_t end = 0;
    int start0 = 0;
    int end0 = 0;
    if (selection.m_anchorLine == selection.m_caretLine && !selection.IsEmpty() &&
        GetSelectedText(start, end, &selected))
        dialog.m_text = selected;
    else if (GetWordBounds(selection.m_caretLine, selection.m_caretColumn, start0, end0))
    {
        const CEditLine* line = GetBuffer() ? GetBuffer()->GetLine(selection.m_caretLine) : nullptr;
        if (line)
        {
            const int from = line->ColumnToIndex(GetBuffer()->GetTabSize(), start0);
            const int to = line->ColumnToIndex(GetBuffer()->GetTabSize(), end0);
            dialog.m_text = std::string(line->GetText().substr(size_t(from), size_t(to - from)));
        }
    }
    if (dialog.DoModal() != IDOK || dialog.m_text.empty())
        return;
    SetLastSearch(dialog.m_text);
    FindWithWrap(dialog.m_text);
}

void CHTMLEditView::OnFindNext()
{
    const std::string text = GetLastSearch();
    if (text.empty())
        OnFind();
    else
        FindWithWrap(text);
}

// ---- Frame -------------------------------------------------------------------

void CHTMLEditView::UpdateFrameState()
{
    CFrameWnd* frame = GetParentFrame();
    auto* doc = dynamic_cast<CTanglewardenDoc*>(GetDocument());
    if (frame && doc)
        frame->setWindowTitle(QString::fromStdString(doc->GetDisplayName()));
    // The document's state: after a failed write it is still modified even
    // where the text already took the failed attempt for its saved state.
    const bool modified = IsEditable() && doc && doc->IsModified();
    if (IChildTabColor* tabs = FindChildTabColor(this); tabs && frame)
        tabs->SetChildTabColor(frame, modified ? 0x0000FF : -1);
}

void CHTMLEditView::TakeDocumentSaves()
{
    auto save = [this](bool asNew) {
        if (CDocument* document = GetDocument())
            (void)(asNew ? document->DoSave(std::string()) : document->DoFileSave());
        UpdateFrameState();
    };
    OnCommand(ID_FILE_SAVE, [save] { save(false); });
    OnCommand(ID_FILE_SAVE_AS, [save] { save(true); });
}

void CHTMLEditView::OnRemovedFromDocument()
{
    if (m_documentBuffer && GetBuffer() == m_documentBuffer)
    {
        // A followed log would write into the buffer that is going.
        if (GetAttached())
            AttachSource(nullptr);
        AttachBuffer(nullptr, false);
    }
    m_documentBuffer = nullptr;
}

void CHTMLEditView::OnModifiedChanged()
{
    CColorEditView::OnModifiedChanged();
    CFrameWnd* frame = GetParentFrame();
    if (IChildTabColor* tabs = FindChildTabColor(this); tabs && frame)
        tabs->SetChildTabColor(frame, IsModified() ? 0x0000FF : -1);
}

// ---- Events ------------------------------------------------------------------

void CHTMLEditView::resizeEvent(QResizeEvent* event)
{
    CColorEditView::resizeEvent(event);
    FitChildren();
}

void CHTMLEditView::wheelEvent(QWheelEvent* event)
{
    if (m_image && m_image->isVisible())
        QCoreApplication::sendEvent(m_image, event);
    else
        CColorEditView::wheelEvent(event);
}

void CHTMLEditView::focusOutEvent(QFocusEvent* event)
{
    CColorEditView::focusOutEvent(event);
    if (m_image)
        m_image->EndDrag();
}

void CHTMLEditView::changeEvent(QEvent* event)
{
    CColorEditView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        GetScheme().UpdateDerivedColors();
}

void CHTMLEditView::contextMenuEvent(QContextMenuEvent* event)
{
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? QPoint(5, 5) : event->pos();
    // The commands go to the top-level window, which routes them to its
    // active view first.
    CCmdTarget* route = dynamic_cast<CCmdTarget*>(window());
    if (!route)
        route = this;
    QMenu menu(this);
    CCommandActions actions(&menu, *route);
    actions.BuildMenu(&menu, EditPopupRows());
    actions.UpdateAllActions();
    menu.exec(mapToGlobal(at));
}
