#pragma once
// The task window of the running program: its frame factory for task
// documents (the link tree on the left, the link view on the right) and
// the starter that runs a task as soon as its window is open (so that a
// ".vbb" opened from the command line or File > Open starts its check).
// Registered with CTanglewardenApp::AddWindowRegistration.
//
// UI thread only.

#include "shell/LinkTreeView.h"

class CDocument;
class CLinkViewFrame;
class CTanglewardenApp;

// The services of the running program for a tree view.
CLinkTreeViewServices MakeProgramTreeViewServices(CTanglewardenApp& app);

void RegisterLinkTreeWindow(CTanglewardenApp& app);

// The tree view among the document's views; null when it has none.
CLinkTreeView* FindLinkTreeView(CDocument& document);
