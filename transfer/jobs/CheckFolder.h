#pragma once
// The "Check Folder" (setting "Misc/Check Folder"): a folder of files the
// user already has. A job told to skip existing files copies a file found
// there to its local path instead of downloading it.

#include <string>

// The file in folder that stands for the download at localPath: the file
// name of localPath (the text after its last '/'), else that name with its
// "%" escapes decoded. Empty when neither names a file there.
//
// A name is used only when it is one path component: not empty, not "." or
// "..", and free of '/', '\' and NUL. A decoded name such as "..%2Fsecret"
// would otherwise step out of the folder and copy any file the user can
// read into the download tree.
std::string FindCheckFolderFile(const std::string& folder, const std::string& localPath);
