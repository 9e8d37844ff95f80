#include "support/program_values.h"

namespace jw {

JwString JwAppPath;
JwString JwTempPath;
JwString JwRefFileName;
std::vector<TStr2List> JwRefList;
bool JwRefSubst = false;
int32_t JwDefaultPenColor = 1;
int32_t JwDefaultPenStyle = 1;
thread_local JwString JwFileName;
thread_local JwString JwDrawTime;
thread_local JwString JwMemo;
thread_local JwString JwMemo1;
thread_local JwString JwMemo2;
thread_local double JwPrtScale = 1.0;
thread_local double JwLayerScale = 1.0;
std::time_t JwStartTime = 0;
TgraAttribute* JwGraAttr = nullptr;

// DXF export settings.
thread_local int32_t DxfOutSpace = 0;
thread_local JwString DxfOutAppName;
thread_local double DxfOutPaperX = 0;
thread_local double DxfOutPaperY = 0;
thread_local double ZahyoMinX = 0;
thread_local double ZahyoMinY = 0;
thread_local double ZahyoMaxX = 0;
thread_local double ZahyoMaxY = 0;
thread_local int32_t DxfOutScaleGroup = 0;
thread_local int32_t DxfOutLayerNameType = 0;
thread_local int32_t DxfOutTenType = 0;
thread_local double DxfOutTenRadius = 0;
thread_local int32_t DxfOutMojiStyle = 0;
thread_local bool DxfOutMojiExp1 = false;
thread_local bool DxfOutMojiExp2 = false;
thread_local bool DxfOutJoinLines = false;
thread_local bool DxfOutDimension = false;
thread_local bool DxfOutNoLinkedImages = false;
thread_local double DxfOutPrintX = 0;
thread_local double DxfOutPrintY = 0;
thread_local int32_t DxfOutMainGroup = 0;
double (*DxfOutNowFunc)() = nullptr;
double (*DxfOutFileDateFunc)(const JwString& path) = nullptr;

namespace {

// Default text types 1-10: pen, width, height, spacing (millimetres).
constexpr TJwDefMojiType kDefMojiType[10] = {
    {1, 2.0, 2.0, 0.0}, {1, 2.5, 2.5, 0.5}, {2, 3.0, 3.0, 0.5}, {2, 4.0, 4.0, 0.5},
    {3, 5.0, 5.0, 1.0}, {3, 6.0, 6.0, 1.0}, {4, 7.0, 7.0, 1.0}, {4, 8.0, 8.0, 1.0},
    {5, 9.0, 9.0, 1.0}, {5, 10.0, 10.0, 1.0},
};

}  // namespace

TJwDefMojiType JwDefMojiType[10] = {
    kDefMojiType[0], kDefMojiType[1], kDefMojiType[2], kDefMojiType[3], kDefMojiType[4],
    kDefMojiType[5], kDefMojiType[6], kDefMojiType[7], kDefMojiType[8], kDefMojiType[9],
};
int32_t JwLegacyDefaultColor = 1;
int32_t JwLegacyDefaultLineType = 1;

void JwDefMojiTypeInit() {
    for (int i = 0; i < 10; ++i) JwDefMojiType[i] = kDefMojiType[i];
    JwLegacyDefaultColor = 1;
    JwLegacyDefaultLineType = 1;
}

void JwGlobalInit() {
    JwDefaultPenColor = 1;
    JwDefaultPenStyle = 1;
    JwRefSubst = false;
    JwRefList.clear();
}

void RefVarLookup(JwString& text) {
    if (!JwRefSubst || text.size() < 2 || text[0] != u'%' || text[1] != u'%') return;
    for (const TStr2List& e : JwRefList) {
        if (e.s1 == text) {
            text = e.s2;
            return;
        }
    }
}

}  // namespace jw
