// Fixed window and command ids of the calculator. The numbers are part of the
// program's identity (event tables and tests refer to them), so they are plain
// constants rather than ids handed out by wxWindow::NewControlId().
#pragma once

#include <wx/defs.h>

namespace ids {

inline constexpr wxWindowID frmCalculator = 10000;
inline constexpr wxWindowID pnlMain = 10001;
inline constexpr wxWindowID Toolbar = 10002;
inline constexpr wxWindowID cboEquation = 10003;
inline constexpr wxWindowID ToolClear = 10004;
inline constexpr wxWindowID ToolExponent = 10005;
inline constexpr wxWindowID txtDecimal = 10006;
inline constexpr wxWindowID txtHexadecimal = 10007;
inline constexpr wxWindowID txtOctal = 10008;
inline constexpr wxWindowID txtSteps = 10009;
inline constexpr wxWindowID txtMemory = 10010;
inline constexpr wxWindowID txtBinary = 10011;
inline constexpr wxWindowID ToolRoot = 10012;
inline constexpr wxWindowID ToolPi = 10013;
inline constexpr wxWindowID ToolLeftParenthesis = 10014;
inline constexpr wxWindowID ToolRightParenthesis = 10015;
inline constexpr wxWindowID ToolMemoryStore = 10016;
inline constexpr wxWindowID ToolMemoryRetrieve = 10017;
inline constexpr wxWindowID ToolMemoryClear = 10018;
inline constexpr wxWindowID mnuSteps = 10019;
inline constexpr wxWindowID mnuHelpTopics = 10020;
inline constexpr wxWindowID mnuAbout = 10021;
inline constexpr wxWindowID mnuExit = 10022;
inline constexpr wxWindowID frmAbout = 10023;
inline constexpr wxWindowID lblWebLink = 10024;
inline constexpr wxWindowID pnlAbout = 10025;
// Keyboard-only command: copies the decimal result to the clipboard.
inline constexpr wxWindowID CopyDecimal = 10026;

// wxWidgets reserves everything up to wxID_HIGHEST for its stock ids; ours
// must not collide with them or the stock handlers would fire on our commands.
static_assert(frmCalculator > wxID_HIGHEST, "window ids must lie above the stock ids");

} // namespace ids
