#pragma once
// CPostDataDlg, "HTTP POST data": a POST body given as text or as a file.
// The caller sets the fields, runs it modally and reads them after IDOK.
// "Use file" switches between the text and the file field; "..." picks the
// file, starting in the folder last opened ("Misc/Last Opened Folder").
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <string>

class CPostDataDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CPostDataDlg(QWidget* parent = nullptr);

    std::string m_text;
    bool m_useFile = false;
    std::string m_file;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;

private:
    void UpdateControls();
    void OnUseFile();
    void OnBrowse();
};
