#pragma once
// CHTMLEditView: the colour editor view with a display mode. The same view
// shows nothing, a followed log, a message or a plain file, an HTML page
// with its links coloured by their check state, an image, or a form as live
// controls (the view of the log, report and editor windows and of the pages
// of a link's window).
//
// Modes: 0 empty, 1 followed text source, 2 plain text (a message or a
// local file), 3 HTML text with link highlighting, 4 image, 5 form. The mode
// changes only through SetMode; the text layer is live in modes 1 to 3, the
// image child in mode 4 and the form child in mode 5. In modes 4 and 5 the
// text layer's redraw stays locked so it never paints under the child.
//
// A load that fails shows its reason in the view itself as mode-2 text
// ("ERROR: ...") and returns false; the path stays the new one.
//
// UI thread only.

#include "ColorEditView.h"

#include <functional>
#include <memory>
#include <string>

class CFormData;
class CFormItem;
class CFormWnd;
class CLinkChecker;
class CPictureWnd;
class IPropertySet;
class QWidget;

class CHTMLEditView : public CColorEditView
{
    Q_OBJECT

public:
    enum Mode
    {
        kModeEmpty = 0,
        kModeSource = 1,
        kModeText = 2,
        kModeHtml = 3,
        kModeImage = 4,
        kModeForm = 5,
    };

    explicit CHTMLEditView(QWidget* parent = nullptr);
    ~CHTMLEditView() override;

    // The program's settings (tab size, link highlighting, the last search
    // text); null reads the defaults and keeps the search text here.
    void SetSettings(IPropertySet* settings) { m_settings = settings; }
    // Receives the form to submit ("Submit to server"), which then checks
    // the resulting link.
    void SetFormTarget(std::function<void(const CFormData&)> target) { m_formTarget = std::move(target); }

    // ---- Content ----------------------------------------------------------
    void ShowEmpty();
    void ShowText(ITransferLog* source);
    void ShowError(const std::string& message, int scrollTo = 0);
    bool LoadLocalFile(const std::string& path, bool readOnly);
    bool LoadPageFile(const std::string& path, bool readOnly, const CLinkChecker* engine, int linkContext,
                      bool tolerant);
    bool LoadHtmlFile(const std::string& path, bool readOnly, const CLinkChecker* engine, int linkContext,
                      int nodeMask);
    bool SetImage(const std::string& path);
    void ShowFromView(const CFormData& form);
    // In mode 3 only: a link colouriser over the files beside the page, or,
    // with an engine, over the engine's states for the links of the page's
    // link linkContext. The engine must outlive the colouriser: its owner
    // attaches one without an engine before it goes.
    void AttachLinkColorizer(const CLinkChecker* engine = nullptr, int linkContext = 0);

    int GetMode() const { return m_mode; }
    const std::string& GetFilePath() const { return m_filePath; }
    int GetLinkContext() const { return m_linkContext; }
    CPictureWnd* GetImageChild() const { return m_image; }
    CFormWnd* GetFormChild() const { return m_form.get(); }

    // ---- Form -------------------------------------------------------------
    // In mode 5: moves the focus to the form's next or previous tab stop.
    bool ForwardToFormView(bool backwards);
    void FocusFormField(bool first);
    // A control notification of the form child (only code 0, a click, acts).
    void OnFormCommand(CFormItem& item, int code);

    // ---- Find -------------------------------------------------------------
    // The Find command: the prompt, then the search with one wrap-around.
    void OnFind();
    // Searches the last search text again; with none, runs Find.
    void OnFindNext();
    // Two searches (from the selection, then from the top); false and the
    // message "Cannot find <text>" when both miss.
    bool FindWithWrap(const std::string& text);
    std::string GetLastSearch() const;

    // ---- Frame ------------------------------------------------------------
    void UpdateFrameState();
    // The editor window's File > Save and Save As: the document saves (a
    // failed write is reported and leaves it modified), then the frame
    // follows its name and modified state.
    void TakeDocumentSaves();
    void OnModifiedChanged() override;
    // The document's text buffer, which the view shows, goes with the
    // document: the view lets go of it (and shows nothing) first.
    void OnRemovedFromDocument() override;

protected:
    void SetMode(int mode);
    void OnInitialUpdate() override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum LoadKind
    {
        kLoadLocal,
        kLoadPage,
        kLoadHtml,
    };
    bool LoadFile(LoadKind kind, const std::string& path, bool readOnly, const CLinkChecker* engine,
                  int linkContext, bool tolerant, int nodeMask);
    int TabSize() const;
    bool AutoHighlight() const;
    void SetLastSearch(const std::string& text);
    void UseLinkColorizer(const CLinkChecker* engine, int linkContext);
    void FitChildren();

    int m_mode = kModeEmpty;
    std::string m_filePath;
    int m_linkContext = 0;
    // The document's buffer while the view shows it; null otherwise.
    CEditTextBuffer* m_documentBuffer = nullptr;
    IPropertySet* m_settings = nullptr;
    std::function<void(const CFormData&)> m_formTarget;
    std::string m_lastSearch;
    CPictureWnd* m_image = nullptr;
    std::unique_ptr<CFormWnd> m_form;
};
