#pragma once
// Icons and status texts: which image of the views' image list stands for a
// transfer job or a link, and the status group an icon belongs to. Icon
// numbers are plain indexes into that list (27 images).

#include <string>

class CLinkInfo;

// The icon of a transfer-queue job from its status (0 new, 1 ended with a
// result code, 2 waiting, 3 working, 4 done), result code and request kind
// (1 download, 2 upload, 6 information only, 8 download of a page); the
// status text goes to text when given.
int LinkStatusText(int jobStatus, int resultCode, int requestKind, std::string* text = nullptr);

// The status group of an icon: 0 new, 2 waiting, 3 working, 4 done (icons 4
// and 22), 1 for every other icon (the error group).
int LinkStateGroup(int icon);

// The icon of a link in the link tree, from its type, state, error detail,
// repetition, broken children and whether it is local.
int LinkTypeIcon(const CLinkInfo& record);
