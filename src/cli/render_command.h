// What zumenscope-cli and zumenscope-render both know of the render command:
// its name and summary in the list of commands, and the program that draws.
// zumenscope-cli does not draw itself (that would load Qt in every one of its
// processes): its render command runs zumenscope-render, found beside it, with
// the same arguments.
#pragma once

namespace jw::cli {

inline constexpr const char* kRenderName = "render";
inline constexpr const char* kRenderSummary = "Draw drawings and figures as PNG, SVG or PDF";
inline constexpr int kRenderOrder = 40;  // position in the help listing
inline constexpr const char* kRenderProgram = "zumenscope-render";

}  // namespace jw::cli
