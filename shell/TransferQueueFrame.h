#pragma once
// CTransferQueueFrame: the transfer-queue window, a child frame with a flat
// toolbar of the queue's commands above its one view (CTransferQueueView).
// The buttons' texts, shown as tool tips and status tips, are those of the
// queue window's Item menu.
//
// UI thread only.

#include "shell/TanglewardenFrame.h"

class CTanglewardenApp;
class ITransferManager;
class QToolBar;

class CTransferQueueFrame : public CTanglewardenFrame
{
    Q_OBJECT

public:
    CTransferQueueFrame(int classIndex, int placementId, unsigned titleId, CPropertySet* settings,
                        QWidget* parent = nullptr);

    QToolBar* GetToolBar() const { return m_toolBar; }

private:
    QToolBar* m_toolBar = nullptr;
};

// Registers the queue window (this frame with a CTransferQueueView over the
// manager) as the window of the application's transfer-queue documents;
// Show Log opens the jobs' logs of the process-wide log registry through
// the document manager. The manager must outlive the application's windows.
void RegisterTransferQueueWindow(CTanglewardenApp& app, ITransferManager& manager);
