#pragma once
// CReportOptionsDlg, "Report": how the report of a task is written (style,
// where it goes, how links are grouped, the record template, whether the
// statistics are included and repeated links hidden) and which links it
// selects, edited in a one-column link-group list. Every choice is loaded
// from the "Report/" settings when the dialog is built; OK stores the
// choices that differ from their settings and saves the settings when any
// did. The caller then reads the choices (GetReportOptions, m_output); a
// dialog built but never run gives the stored choices as loaded (the Report
// command with Shift held).
//
// The template is edited on one line: its tabs and line breaks are shown as
// "\t" and "\n" and its backslashes doubled (EscapeReportTemplate), and read
// back by the exact inverse (UnescapeReportTemplate). A template left as it
// was shown is kept byte for byte, whatever line breaks it holds.
//
// UI thread only.

#include "checker/ReportWriter.h"

#include "platform/ui/Dialog.h"

#include <functional>
#include <string>
#include <string_view>

class CLinkGroupTree;
class IPropertySet;

// The template as the edit box shows it: '\' as "\\", a tab as "\t", a line
// break (CR LF, or a lone LF or CR) as "\n".
std::string EscapeReportTemplate(std::string_view text);
// The inverse, in one pass from the left: "\\" is '\', "\t" a tab, "\n" CR
// LF; a backslash before any other character (or at the end) stays as it is.
std::string UnescapeReportTemplate(std::string_view text);

class CReportOptionsDlg : public CDialog
{
    Q_OBJECT

public:
    // settings: the live settings, read now and written on OK. saveSettings
    // saves them all; called once after OK stored a changed choice (may be
    // empty).
    CReportOptionsDlg(IPropertySet& settings, std::function<bool()> saveSettings, QWidget* parent = nullptr);

    // The choices; loaded by the constructor, read from the controls by OK.
    int m_style = 0;     // report format 0-3
    int m_output = 0;    // 0 a report window, 1 a file opened by the desktop
    int m_groupKind = 0; // 0-5
    std::string m_template;
    int m_includeStatistics = 1;
    CLinkViewFilter m_selection; // hide-repeats is the check box

    // What the report job is asked for.
    CReportOptions GetReportOptions() const;
    CLinkGroupTree* GetGroupTree() const { return m_groups; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;
    void showEvent(QShowEvent* event) override;

private:
    void Load();
    // Stores the choices that differ from their settings; whether any did.
    bool StoreChanged();

    IPropertySet& m_settings;
    std::function<bool()> m_saveSettings;
    CLinkGroupTree* m_groups = nullptr;
    std::string m_shownTemplate; // the edit box's text as loaded
    bool m_minimumSet = false;
};
