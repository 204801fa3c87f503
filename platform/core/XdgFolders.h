#pragma once
// The user's base folders after the freedesktop base-directory rules. Each is
// read from the environment at every call, so a test that points the
// variable at a temporary folder is obeyed. Nothing is created here.

#include <string>

// $HOME, else the home folder of the user's account entry; empty when neither
// gives an absolute path.
std::string GetHomeFolder();

// $XDG_CONFIG_HOME when it holds an absolute path, else ~/.config.
std::string GetXdgConfigHome();

// $XDG_DATA_HOME when it holds an absolute path, else ~/.local/share.
std::string GetXdgDataHome();
