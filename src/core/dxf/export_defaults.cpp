#include "dxf/export_defaults.h"

#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw {

void DxfSetDefaultExport(TJwwData& dwg) {
    DxfOutSpace = 0;
    DxfOutAppName = u"zumenscope";
    DxfOutLayerNameType = 0;
    DxfOutTenType = 0;
    DxfOutTenRadius = 0.5;
    DxfOutMojiStyle = 0;
    DxfOutMojiExp1 = DxfOutMojiExp2 = true;
    DxfOutJoinLines = false;
    DxfOutDimension = false;
    DxfOutPrintX = DxfOutPrintY = 0;
    dwg.GetPaperSize(DxfOutPaperX, DxfOutPaperY);
    DxfOutScaleGroup = dwg.Enthd.nWriteGLay;
    ZahyoMinX = ZahyoMinY = ZahyoMaxX = ZahyoMaxY = 0;
    dwg.GetMinMaxZahyo();
}

}  // namespace jw
