// Lifecycle of the drawing models: construction, DataInit, DataFree.
#include "model/jw_data.h"

namespace jw {

void TJwEntities::DataInit() {
    FileOutOpt = 0;
    EntLgrp.clear();
    EntMoj.clear();
    EntNo.clear();
    EntLine.clear();
    EntLineN = 0;
    EntEnko.clear();
    EntEnkoN = 0;
    EntTen.clear();
    EntTenN = 0;
    EntMoji.clear();
    EntMojiN = 0;
    EntSunpo.clear();
    EntSunpoN = 0;
    EntSolid.clear();
    EntSolidN = 0;
    EntBlock.clear();
    EntBlockN = 0;
    EntBlockDef.clear();
    EntBlockDefN = 0;
    EntBlockTree.clear();
    EntBlockTreeN = 0;
    EntBlockNum = 0;
    BindImageInit();
    FontNameN = 0;
    FontNames.clear();
    MojiEncode = false;
    gaN = 0;
    ga.clear();
    LastError.clear();
    LastErrorDetail.clear();
    // BindImageFolder, BindImageExp, BindImageExr, dd, dc and dl survive.
}

void TJwEntities::DataFree() {
    // Vectors release their members themselves; clearing the definitions and
    // groups drops every member array and id list before the reset.
    for (auto& d : EntBlockDef) {
        d.mNo.clear();
        d.mLine.clear();
        d.mEnko.clear();
        d.mTen.clear();
        d.mMoji.clear();
        d.mSunpo.clear();
        d.mSolid.clear();
        d.mBlock.clear();
    }
    for (auto& g : ga) g.id.clear();
    DataInit();
}

void TJwEntities::BindImageInit() {
    BindImage.clear();
    BindImageN = 0;
    BindImageErrors.clear();
}

void TJwEntities::SetFileOutOption(int32_t n) { FileOutOpt = (n >= 0 && n <= 63) ? n : 0; }

TJwwData::TJwwData() { DataInit(); }
TJwwData::~TJwwData() { DataFree(); }

void TJwwData::DataInit() {
    TJwEntities::DataInit();
    Enthd = TEntJwwHeader{};
    EntLay.clear();
    EntCol.clear();
    EntLtp1.clear();
    EntLtp2.clear();
    EntLtp3.clear();
    EntColS.clear();
    EntLtpS.clear();
}

void TJwwData::SizeHeaderTables() {
    EntLgrp.resize(kLgrpCount);
    EntLay.resize(kLgrpCount * kLayPerGroup);
    EntCol.resize(kColCount);
    EntLtp1.resize(kLtp1Count);
    EntLtp2.resize(kLtp2Count);
    EntLtp3.resize(kLtp3Count);
    EntMoj.resize(kMojCount);
    EntColS.resize(kColSCount);
    EntLtpS.resize(kLtpSCount);
}

TJwsData::TJwsData() { DataInit(); }
TJwsData::~TJwsData() { DataFree(); }

void TJwsData::DataInit() {
    TJwEntities::DataInit();
    Enthd = TEntJwsHeader{};
}

}  // namespace jw
