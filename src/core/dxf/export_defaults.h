// The export settings of a plain DXF export of a drawing (what zumenscope-cli
// dxf does without options, and the window's "DXF出力"): model space, the
// drawing's paper and write layer group, numbered layers, points as POINT,
// one text style per text type, both kinds of text variables expanded, the
// drawing's extents.
#pragma once

namespace jw {

class TJwwData;

// Sets this thread's DXF export settings for dwg (support/program_values.h).
void DxfSetDefaultExport(TJwwData& dwg);

}  // namespace jw
