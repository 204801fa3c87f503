#pragma once
// A window's position, size and state kept in a setting as the placement
// text "left:top:width:height:state" (the normal, restored rectangle in
// screen pixels; state 1 maximised, 0 normal, negative minimised; missing
// fields read as 0). Frames, views and dialogs save theirs when they close
// and restore it when they open; a stored rectangle is always put back on
// the screen, whatever the screen became meanwhile.
//
// Qt measures a top-level widget's geometry without its frame, and that is
// the rectangle stored and restored here, so a round trip keeps the window
// where it was. UI thread.

#include "widgets/Rect.h"

#include <cstdint>
#include <string>
#include <string_view>

class IPropertySet;
class QWidget;

// "%d:%d:%d:%d:%d". Left (top) is written when the screen width (height) is
// at least 1, else 0; the width (height) when both the screen's and the
// window's extent are at least 1, else 0.
std::string FormatPlacement(int left, int top, int right, int bottom, int screenWidth, int screenHeight,
                            int state);

// Reads the placement text and returns a rectangle on the screen: a width of
// 0 or less becomes 80 % of the screen width and one above it the screen
// width; left is kept between 0 and screen width - width; the same for the
// height and top. With a screen width (height) of 0 or less the horizontal
// (vertical) coordinates are 0. state receives the stored flag (0 when the
// text has none). Numbers beyond the range of int read as its limit.
CRect ParsePlacement(std::string_view text, int screenWidth, int screenHeight, int& state);

// The stored state flag of a placement text.
int IsPlacementMaximized(std::string_view text);

// Show commands, in the numbers the callers pass.
enum PlacementShowCommand
{
    kShowHidden = 0,      // set the placement, the window hidden
    kShowNormal = 1,
    kShowMinimized = 2,
    kShowMaximized = 3,
    kShowNoActivate = 4,
    kShow = 5,
    kShowPlacementOnly = -1, // the same as hidden: set the placement, no repaint
};

// The show command a placement is applied with: 1 (normal) and 5 (show)
// become 3 (maximised) for a positive stored state and 2 (minimised) for a
// negative one; -1 becomes 0; any other command is used as it is.
int ChoosePlacementShowCommand(int showCommand, int state);

// The placement text of the window (its normal rectangle, and 1 when it is
// maximised) on its screen.
std::string GetWindowPlacementText(const QWidget* window);
void SaveWindowPlacement(IPropertySet& settings, const QWidget* window, int settingId);
// Puts the window at the parsed rectangle (with keepSize only moved there,
// its size kept) and shows it by ChoosePlacementShowCommand; a visible
// window is repainted at once. Nothing for no window.
void ApplyPlacement(std::string_view text, QWidget* window, int showCommand, bool keepSize);
void RestoreWindowPlacement(IPropertySet& settings, QWidget* window, int settingId, int showCommand,
                            bool keepSize);

// What a frame needs of its placement before its window exists: position,
// size and the style bits of a maximised or minimised start.
struct CCreateStruct
{
    static constexpr uint32_t kStyleMaximize = 0x01000000;
    static constexpr uint32_t kStyleMinimize = 0x20000000;

    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    uint32_t style = 0;
};

// Fills the record from the parsed rectangle on a screen of that size; the
// maximise and minimise bits are cleared, then one set by the stored state.
void PlacementToCreateStruct(std::string_view text, CCreateStruct& cs, int screenWidth, int screenHeight);
// The same on the primary screen.
void PlacementToCreateStruct(std::string_view text, CCreateStruct& cs);
