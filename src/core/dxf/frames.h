// Drawing-frame detection of the export with one layout per frame: the frame
// lists and box tests are members of TDXFmodel (dxf/frames.cpp); this finds
// the frames of a drawing.
#pragma once

namespace jw {

class TJwwData;
class TDXFmodel;

// Fills m.zw_w with the frames of the drawing, sorted by number: rectangles of
// shown frame lines (colour 9, line type 16, width 200) meeting at their
// corners, print-origin texts of shown layers (colour 9, text type 0,
// "【印刷原点】", sized by DxfOutPrintX/Y), or else the whole paper
// (DxfOutPaperX/Y).
void DxfFindFrames(const TJwwData& jw, TDXFmodel& m);

}  // namespace jw
