// The program-wide values: start-up folders, the user text variables of the
// reference file, the defaults that repair entity attributes, the
// text-variable context of the last file read and the display attributes.
// Every value that lives for the whole run is declared here and nowhere else.
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
// Text-variable context of the last file read.
extern JwString JwFileName;
extern JwString JwDrawTime;
extern JwString JwMemo;
extern JwString JwMemo1;
extern JwString JwMemo2;
extern double JwPrtScale;
extern double JwLayerScale;
extern std::time_t JwStartTime;
// Display attributes (owned by the session, see viewer/session.h).
extern TgraAttribute* JwGraAttr;

// DXF export settings, read by TJwwData::FileOutDXF (all zero, empty or off
// until a caller sets them). Extents are in Jw_cad coordinates (paper mm,
// origin at the paper centre) and are filled by GetMinMaxZahyo.
extern int32_t DxfOutSpace;          // 0 model space only, 1 a viewport per layer-group scale
extern JwString DxfOutAppName;       // comment on the first line of the DXF
extern double DxfOutPaperX;          // paper width, mm
extern double DxfOutPaperY;          // paper height, mm
extern double ZahyoMinX;
extern double ZahyoMinY;
extern double ZahyoMaxX;
extern double ZahyoMaxY;
extern int32_t DxfOutScaleGroup;     // reference layer group 0-15 (model-space scale)
extern int32_t DxfOutLayerNameType;  // layer naming rule 0, 1, 2
extern int32_t DxfOutTenType;        // point transfer type 0-6
extern double DxfOutTenRadius;       // point symbol radius, mm
extern int32_t DxfOutMojiStyle;      // text-style mode 0, 1, 2
extern bool DxfOutMojiExp1;          // expand text variables ("%f", "=y", "%%name", ...)
extern bool DxfOutMojiExp2;          // lay out texts with "^" codes
extern bool DxfOutJoinLines;         // join curve groups into polylines (not built yet)
extern bool DxfOutDimension;         // rebuild dimension groups (not built yet)
extern double DxfOutPrintX;          // printable width, mm
extern double DxfOutPrintY;          // printable height, mm
extern int32_t DxfOutMainGroup;      // computed by the export: busiest group besides the reference
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
