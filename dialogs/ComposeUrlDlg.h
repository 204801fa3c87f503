#pragma once
// CComposeUrlDlg, "Compose URL": a URL from its parts (protocol, host,
// port, optional user and password, remote path). The caller fills the
// fields, runs it modally and, after IDOK, composes the URL from them
// (ComposeUrl). In credentials mode (the resource of a stored password) the
// path and the authentication box are off and a user is required.
//
// Switching the protocol moves the port along only while it is the old
// protocol's default (or 8000 or 8080): a port of the user's own choosing
// stays.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

class CComposeUrlDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CComposeUrlDlg(QWidget* parent = nullptr);

    std::vector<int> m_protocols; // scheme ids offered, in list order
    int m_protocol = 1;
    std::string m_host;
    int m_port = 80;
    std::string m_path;
    bool m_authentication = false;
    std::string m_user;
    std::string m_password;
    bool m_credentialsMode = false;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;

private:
    void UpdateControls();
    void OnProtocolChanged();
    std::string ChosenProtocolText() const;
};

// Runs the dialog filled from url (protocol HTTP, port 80 and no
// authentication when url does not parse as a URL, a local path included);
// after OK, url becomes the composed address, with user and password only
// when authentication was asked for. False, url untouched, on Cancel.
bool ComposeUrlFromText(std::string& url, QWidget* parent);
