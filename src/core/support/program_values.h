// The program-wide values: start-up folders, the user text variables of the
// reference file, the defaults that repair entity attributes, the
// text-variable context of the last file read and the display attributes.
// Every value that lives for the whole run is declared here and nowhere else.
//
// Threads: the values of one job (the text-variable context a reader leaves
// for the export, the DXF export settings and the extents) are thread_local,
// so that drawings can be read and exported on several threads at once; each
// thread sets its own before a job. The others (folders, reference list,
// defaults, display attributes, clocks) are set once before any work starts
// and only read while jobs run.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace jw {

using JwString = std::u16string;
class TgraAttribute;

struct TStr2List {
    JwString s1;  // variable name, beginning "%%"
    JwString s2;  // its value
};

// Folders (each ends in a separator).
extern JwString JwAppPath;       // folder of the program
extern JwString JwTempPath;      // working folder for extracted bound images
// Reference file of user text variables.
extern JwString JwRefFileName;   // as found in Jw_win.jwf, upper-cased
extern std::vector<TStr2List> JwRefList;
extern bool JwRefSubst;          // "%%" substitution switch of the writers (off)
// Values that replace out-of-range colours and line types.
extern int32_t JwDefaultPenColor;
extern int32_t JwDefaultPenStyle;
// Text-variable context of the last file read on this thread.
extern thread_local JwString JwFileName;
extern thread_local JwString JwDrawTime;
extern thread_local JwString JwMemo;
extern thread_local JwString JwMemo1;
extern thread_local JwString JwMemo2;
extern thread_local double JwPrtScale;
extern thread_local double JwLayerScale;
extern std::time_t JwStartTime;
// Display attributes (owned by the session, see viewer/session.h).
extern TgraAttribute* JwGraAttr;

// DXF export settings of this thread, read by TJwwData::FileOutDXF (all zero,
// empty or off until a caller sets them). Extents are in Jw_cad coordinates (paper mm,
// origin at the paper centre) and are filled by GetMinMaxZahyo.
extern thread_local int32_t DxfOutSpace;          // 0 model space only, 1 a viewport per layer-group scale, 2 a layout per frame
extern thread_local JwString DxfOutAppName;       // comment on the first line of the DXF
extern thread_local double DxfOutPaperX;          // paper width, mm
extern thread_local double DxfOutPaperY;          // paper height, mm
extern thread_local double ZahyoMinX;
extern thread_local double ZahyoMinY;
extern thread_local double ZahyoMaxX;
extern thread_local double ZahyoMaxY;
extern thread_local int32_t DxfOutScaleGroup;     // reference layer group 0-15 (model-space scale)
extern thread_local int32_t DxfOutLayerNameType;  // layer naming rule 0, 1, 2
extern thread_local int32_t DxfOutTenType;        // point transfer type 0-6
extern thread_local double DxfOutTenRadius;       // point symbol radius, mm
extern thread_local int32_t DxfOutMojiStyle;      // text-style mode 0, 1, 2
extern thread_local bool DxfOutMojiExp1;          // expand text variables ("%f", "=y", "%%name", ...)
extern thread_local bool DxfOutMojiExp2;          // lay out texts with "^" codes
extern thread_local bool DxfOutJoinLines;         // join curve groups into polylines
extern thread_local bool DxfOutDimension;         // rebuild dimension groups as DIMENSIONs
extern thread_local bool DxfOutNoLinkedImages;    // leave out images the drawing links to (bound ones stay)
extern thread_local double DxfOutPrintX;          // printable width, mm (frames of print-origin texts)
extern thread_local double DxfOutPrintY;          // printable height, mm
extern thread_local int32_t DxfOutMainGroup;      // computed by the export: busiest group besides the reference
// Clock of the text variables: local "now" and a file's last-write time as
// day counts since 1899-12-30 (time of day as fraction). Null means the system
// clock and the file system; tests set fixed ones.
extern double (*DxfOutNowFunc)();
extern double (*DxfOutFileDateFunc)(const JwString& path);

// Legacy default text types 1-10 (entry k at [k - 1]) and the legacy default
// colour and line type, used by the JWC/JWK models.
struct TJwDefMojiType {
    int32_t pen = 0;
    double width = 0, height = 0, spacing = 0;
};
extern TJwDefMojiType JwDefMojiType[10];
extern int32_t JwLegacyDefaultColor;
extern int32_t JwLegacyDefaultLineType;
// Resets JwDefMojiType and the legacy defaults (the first step of JwInit).
void JwDefMojiTypeInit();

// Default pen colour and line type := 1, JwRefSubst := off, JwRefList := empty.
void JwGlobalInit();
// When JwRefSubst is on and text begins with "%%", replaces text by the value
// of the first JwRefList entry whose name equals it.
void RefVarLookup(JwString& text);

}  // namespace jw
