// The twelve tables as a data source computed cell by cell from the model.
#include "viewer/table_views.h"

#include <algorithm>
#include <span>

#include "model/entity_list_view.h"
#include "support/numbers.h"

namespace jw {

namespace {

// ---- column headers, column 0 first ----

const char16_t* const kHead_StringGrid1[] = {
    u"Ｎｏ．",
    u"状態",
    u"書込レイヤ",
    u"縮尺(の分母)",
    u"プロテクト指定",
    u"レイヤグループ名",
};

const char16_t* const kHead_StringGrid2[] = {
    u"Ｎｏ．",
    u"状態",
    u"プロテクト指定",
    u"レイヤ名",
};

const char16_t* const kHead_StringGrid3[] = {
    u"色No",
    u"線色名",
    u"画面表示色",
    u"画面表示線幅",
    u"プリンタ出力色",
    u"プリンタ出力線幅",
    u"プリンタ出力実点半径",
};

const char16_t* const kHead_StringGrid4[] = {
    u"線種No",
    u"線種名",
    u"パターン",
    u"１ユニットのドット数",
    u"ピッチ",
    u"プリンタ出力ピッチ",
    u"画面表示振幅",
    u"プリンタ出力振幅",
};

const char16_t* const kHead_StringGrid5[] = {
    u"文字種番号",
    u"文字幅",
    u"高さ",
    u"間隔",
    u"色番号",
};

const char16_t* const kHead_StringGrid_Line[] = {
    u"No.",
    u"曲線属性番号",
    u"線種番号",
    u"線色番号",
    u"線幅",
    u"レイヤ番号",
    u"レイヤグループ番号",
    u"属性フラグ",
    u"始点Ｘ座標",
    u"始点Ｙ座標",
    u"終点Ｘ座標",
    u"終点Ｙ座標",
};

const char16_t* const kHead_StringGrid_Enko[] = {
    u"No.",
    u"曲線属性番号",
    u"線種番号",
    u"線色番号",
    u"線幅",
    u"レイヤ番号",
    u"レイヤグループ番号",
    u"属性フラグ",
    u"中心Ｘ座標",
    u"中心Ｙ座標",
    u"半径",
    u"開始角",
    u"円弧角",
    u"傾き角",
    u"扁平率",
    u"全円フラグ",
};

const char16_t* const kHead_StringGrid_Ten[] = {
    u"No.",
    u"曲線属性番号",
    u"(線種番号)",
    u"線色番号",
    u"線幅",
    u"レイヤ番号",
    u"レイヤグループ番号",
    u"属性フラグ",
    u"Ｘ座標",
    u"Ｙ座標",
    u"仮点フラグ",
    u"点コード",
    u"回転角",
    u"倍率",
};

const char16_t* const kHead_StringGrid_Moji[] = {
    u"No.",
    u"曲線属性番号",
    u"(線種番号)",
    u"線色番号",
    u"線幅",
    u"レイヤ番号",
    u"レイヤグループ番号",
    u"属性フラグ",
    u"始点Ｘ座標",
    u"始点Ｙ座標",
    u"終点Ｘ座標",
    u"終点Ｙ座標",
    u"文字種",
    u"文字サイズ横",
    u"文字サイズ縦",
    u"文字間隔",
    u"角度",
    u"フォント名",
    u"文字列",
};

const char16_t* const kHead_StringGrid_Sunpo[] = {
    u"No.",
    u"(曲線属性番号)",
    u"(線種番号)",
    u"(線色番号)",
    u"線幅",
    u"レイヤ番号",
    u"レイヤグループ番号",
    u"属性フラグ",
    u"線・曲線属性番号",
    u"線・線種番号",
    u"線・線色番号",
    u"線・線幅",
    u"線・レイヤ番号",
    u"線・レイヤグループ番号",
    u"線・属性フラグ",
    u"線・始点Ｘ座標",
    u"線・始点Ｙ座標",
    u"線・終点Ｘ座標",
    u"線・終点Ｙ座標",
    u"字・曲線属性番号",
    u"字・(線種番号)",
    u"字・線色番号",
    u"字・線幅",
    u"字・レイヤ番号",
    u"字・レイヤグループ番号",
    u"字・属性フラグ",
    u"字・始点Ｘ座標",
    u"字・始点Ｙ座標",
    u"字・終点Ｘ座標",
    u"字・終点Ｙ座標",
    u"字・文字種",
    u"字・文字サイズ横",
    u"字・文字サイズ縦",
    u"字・文字間隔",
    u"字・角度",
    u"字・フォント名",
    u"字・文字列",
};

const char16_t* const kHead_StringGrid_Solid[] = {
    u"No.",
    u"曲線属性番号",
    u"(線種番号)",
    u"線色番号",
    u"線幅",
    u"レイヤ番号",
    u"レイヤグループ番号",
    u"属性フラグ",
    u"第１点Ｘ座標",
    u"第１点Ｙ座標",
    u"第４点Ｘ座標",
    u"第４点Ｙ座標",
    u"第２点Ｘ座標",
    u"第２点Ｙ座標",
    u"第３点Ｘ座標",
    u"第３点Ｙ座標",
    u"塗潰し色(任意色時)",
};

const char16_t* const kHead_StringGrid_Block[] = {
    u"No.",
    u"曲線属性番号",
    u"(線種番号)",
    u"(線色番号)",
    u"(線幅)",
    u"レイヤ番号",
    u"レイヤグループ番号",
    u"属性フラグ",
    u"基準点Ｘ座標",
    u"基準点Ｙ座標",
    u"Ｘ方向の倍率",
    u"Ｙ方向の倍率",
    u"回転角",
    u"通し番号",
};

struct GridInfo {
    const char16_t* caption;
    const char* name;
    std::span<const char16_t* const> headers;  // one per column
};

const GridInfo kGrids[kGridCount] = {
    {u"レイヤＧ", "StringGrid1", kHead_StringGrid1},
    {u"レイヤ", "StringGrid2", kHead_StringGrid2},
    {u"線色", "StringGrid3", kHead_StringGrid3},
    {u"線種", "StringGrid4", kHead_StringGrid4},
    {u"文字種", "StringGrid5", kHead_StringGrid5},
    {u"線分", "StringGrid_Line", kHead_StringGrid_Line},
    {u"円弧", "StringGrid_Enko", kHead_StringGrid_Enko},
    {u"点", "StringGrid_Ten", kHead_StringGrid_Ten},
    {u"文字", "StringGrid_Moji", kHead_StringGrid_Moji},
    {u"寸法", "StringGrid_Sunpo", kHead_StringGrid_Sunpo},
    {u"ソリッド", "StringGrid_Solid", kHead_StringGrid_Solid},
    {u"ブロック", "StringGrid_Block", kHead_StringGrid_Block},
};

// Fixed row counts of the table grids.
constexpr int kLayerGroupRows = 16;
constexpr int kLayerRows = 256;
constexpr int kColorRows = 267;     // 10 pens, then 257 extended colours
constexpr int kLineTypeRows = 50;   // 8 types, 5 random, 4 double-length, 33 extended
constexpr int kMojiTypeRows = 10;

const char16_t* const kColorNames[10] = {
    u"背景色", u"線色１", u"線色２", u"線色３", u"線色４",
    u"線色５", u"線色６", u"線色７", u"線色８", u"グレー色",
};
const char16_t* const kLineTypeNames[8] = {
    u"線種２", u"線種３", u"線種４", u"線種５", u"線種６", u"線種７", u"線種８", u"線種９",
};

bool IsEntityGrid(int grid) { return grid >= kGridLine && grid < kGridCount; }

JwString Int(int32_t v) { return IntStr(v); }
JwString Real(double v) { return FloatStr(v); }
JwString Hex8(uint32_t v) { return HexStr(v, 8); }
JwString Hex6(uint32_t v) { return HexStr(v, 6); }

// An entry of a table the model may hold fewer entries of than the grid has
// rows (a failed read); null when the model has no such entry.
template <typename T>
const T* Entry(const std::vector<T>& v, int i) {
    return (i >= 0 && static_cast<size_t>(i) < v.size()) ? &v[i] : nullptr;
}

// Columns 1-7 of an entity row: the common attribute.
JwString AttrCell(const TEntJwwAttr& a, int k) {
    switch (k) {
        case 1: return Int(static_cast<int32_t>(a.lGroup));
        case 2: return Int(a.nPenStyle);
        case 3: return Int(a.nPenColor);
        case 4: return Int(a.nPenWidth);
        case 5: return Int(a.nLayer);
        case 6: return Int(a.nGLayer);
        case 7: return Hex8(a.sFlg);
        default: return JwString();
    }
}

// Columns 8-11 of a line (start and end point).
JwString LineCell(const TEntJwwLine& e, int c) {
    switch (c) {
        case 8: return Real(e.start_x);
        case 9: return Real(e.start_y);
        case 10: return Real(e.end_x);
        case 11: return Real(e.end_y);
        default: return JwString();
    }
}

// Columns 8-18 of a text.
JwString MojiCell(const TEntJwwMoji& e, int c) {
    switch (c) {
        case 8: return Real(e.start_x);
        case 9: return Real(e.start_y);
        case 10: return Real(e.end_x);
        case 11: return Real(e.end_y);
        case 12: return Int(static_cast<int32_t>(e.nMojiShu));
        case 13: return Real(e.dSizeX);
        case 14: return Real(e.dSizeY);
        case 15: return Real(e.dKankaku);
        case 16: return Real(e.degKakudo);
        case 17: return e.strFontName;
        case 18: return e.str;
        default: return JwString();
    }
}

}  // namespace

void JwTableSource::Clear() {
    ents_ = nullptr;
    jww_ = nullptr;
}

void JwTableSource::SetJww(const TJwwData* jw) {
    ents_ = jw;
    jww_ = jw;
}

void JwTableSource::SetJws(const TJwsData* jws) {
    ents_ = jws;
    jww_ = nullptr;
}

JwString JwTableSource::Caption(int grid) {
    return (grid >= 0 && grid < kGridCount) ? JwString(kGrids[grid].caption) : JwString();
}

const char* JwTableSource::GridName(int grid) {
    return (grid >= 0 && grid < kGridCount) ? kGrids[grid].name : "";
}

int JwTableSource::ColumnCount(int grid) {
    return (grid >= 0 && grid < kGridCount) ? static_cast<int>(kGrids[grid].headers.size()) : 0;
}

JwString JwTableSource::ColumnHeader(int grid, int column) {
    if (column < 0 || column >= ColumnCount(grid)) return JwString();
    return kGrids[grid].headers[column];
}

int32_t JwTableSource::EntityCount(int grid) const {
    if (ents_ == nullptr) return 0;
    const TJwEntities& m = *ents_;
    // The stated count, bounded by the array really there.
    size_t n = 0;
    switch (grid) {
        case kGridLine: n = HeldCount(m.EntLine, m.EntLineN); break;
        case kGridEnko: n = HeldCount(m.EntEnko, m.EntEnkoN); break;
        case kGridTen: n = HeldCount(m.EntTen, m.EntTenN); break;
        case kGridMoji: n = HeldCount(m.EntMoji, m.EntMojiN); break;
        case kGridSunpo: n = HeldCount(m.EntSunpo, m.EntSunpoN); break;
        case kGridSolid: n = HeldCount(m.EntSolid, m.EntSolidN); break;
        case kGridBlock: n = HeldCount(m.EntBlock, m.EntBlockN); break;
        default: break;
    }
    return static_cast<int32_t>(n);
}

JwString JwTableSource::BlockDefinitionName(int row) const {
    if (ents_ == nullptr || row < 0 || row >= EntityCount(kGridBlock)) return JwString();
    const uint32_t number = ents_->EntBlock[static_cast<size_t>(row)].nNumber;
    const size_t defs = HeldCount(ents_->EntBlockDef, ents_->EntBlockDefN);
    for (size_t i = 0; i < defs; ++i)
        if (ents_->EntBlockDef[i].nNumber == number) return ents_->EntBlockDef[i].strName;
    return JwString();
}

int JwTableSource::RowCount(int grid) const {
    switch (grid) {
        case kGridLayerGroup: return kLayerGroupRows;
        case kGridLayer: return kLayerRows;
        case kGridColor: return kColorRows;
        case kGridLineType: return kLineTypeRows;
        case kGridMojiType: return kMojiTypeRows;
        default: break;
    }
    if (!IsEntityGrid(grid)) return 0;
    return std::max<int32_t>(1, EntityCount(grid));
}

JwString JwTableSource::Cell(int grid, int row, int column) const {
    if (row < 0 || column < 0 || column >= ColumnCount(grid)) return JwString();
    if (IsEntityGrid(grid)) {
        // An entity grid shows entities only when the model holds at least
        // one of its kind; otherwise its single row stays empty.
        if (row >= EntityCount(grid)) return JwString();
        return EntityCell(grid, row, column);
    }
    if (row >= RowCount(grid)) return JwString();
    return TableCell(grid, row, column);
}

JwString JwTableSource::ClearedCell(int grid, int row, int column) {
    switch (grid) {
        case kGridLayerGroup:
        case kGridLayer:
            return column == 0 ? Int(row) : JwString();
        case kGridColor:
            if (column == 0) return Int(row < 10 ? row : row + 90);
            if (column == 1 && row < 10) return kColorNames[row];
            return JwString();
        case kGridLineType:
            if (row < 17) {
                if (column == 0) return Int(row + 1);
                if (column == 1) {
                    if (row < 8) return kLineTypeNames[row];
                    if (row < 13) return u"ランダム線" + Int(row - 7);
                    return u"倍長線種番号" + Int(row - 12);
                }
                return JwString();
            }
            return column == 0 ? Int(row + 13) : JwString();
        case kGridMojiType:
            return column == 0 ? Int(row + 1) : JwString();
        default:
            return JwString();
    }
}

JwString JwTableSource::TableCell(int grid, int row, int column) const {
    if (ents_ != nullptr && grid == kGridLayerGroup) {
        if (const auto* g = Entry(ents_->EntLgrp, row)) {
            // A JWS figure holds only the scales of its layer groups.
            if (column == 3) return Real(g->adScale);
            if (jww_ != nullptr) {
                switch (column) {
                    case 1: return Int(g->anGLay);
                    case 2: return Int(g->anWriteLay);
                    case 4: return Int(g->anGLayProtect);
                    case 5: return g->aStrGLayName;
                    default: break;
                }
            }
        }
        return ClearedCell(grid, row, column);
    }
    if (jww_ == nullptr) return ClearedCell(grid, row, column);
    const TJwwData& m = *jww_;
    switch (grid) {
        case kGridLayer:
            if (const auto* l = Entry(m.EntLay, row)) {
                switch (column) {
                    case 1: return Int(l->aanLay);
                    case 2: return Int(l->aanLayProtect);
                    case 3: return l->aStrLayName;
                    default: break;
                }
            }
            break;
        case kGridColor:
            if (row < 10) {
                if (const auto* c = Entry(m.EntCol, row)) {
                    switch (column) {
                        case 2: return Int(c->aPenColor);
                        case 3: return Int(c->anPenWidth);
                        case 4: return Int(c->aPrtPenColor);
                        case 5: return Int(c->anPrtPenWidth);
                        case 6: return Real(c->adPrtTenHankei);
                        default: break;
                    }
                }
            } else if (const auto* c = Entry(m.EntColS, row - 10)) {
                switch (column) {
                    case 1: return c->astrUDColorName;
                    case 2: return Int(c->aPenColor);
                    case 3: return Int(c->anPenWidth);
                    case 4: return Int(c->aPrtPenColor);
                    case 5: return Int(c->anPrtPenWidth);
                    case 6: return Real(c->adPrtTenHankei);
                    default: break;
                }
            }
            break;
        case kGridLineType: {
            const TEntJwwLineTypeNo* t = nullptr;
            if (row < 8) {
                t = Entry(m.EntLtp1, row);
            } else if (row < 13) {
                if (const auto* r = Entry(m.EntLtp2, row - 8)) {
                    switch (column) {
                        case 2: return Hex8(static_cast<uint32_t>(r->alLType));
                        case 4: return Int(r->anTokushuSenPich);
                        case 5: return Int(r->anPrtTokushuSenPich);
                        case 6: return Int(r->anRandSenWide);
                        case 7: return Int(r->anPrtRandSenWide);
                        default: break;
                    }
                }
                break;
            } else if (row < 17) {
                t = Entry(m.EntLtp3, row - 13);
            } else if (const auto* x = Entry(m.EntLtpS, row - 17)) {
                switch (column) {
                    case 1: return x->astrUDLTypeName;
                    case 2: return Hex8(static_cast<uint32_t>(x->alLType));
                    case 3: return Int(x->anTokushuSenUintDot);
                    case 4: return Int(x->anTokushuSenPich);
                    case 5: return Int(x->anPrtTokushuSenPich);
                    case 6: return Int(x->anUDLTypeSegment);
                    case 7: {
                        JwString s;
                        for (double p : x->aadUDLTypePitch) {
                            s += Real(p);
                            s += u"、";
                        }
                        return s;
                    }
                    default: break;
                }
                break;
            }
            if (t != nullptr) {
                switch (column) {
                    case 2: return Hex8(static_cast<uint32_t>(t->alLType));
                    case 3: return Int(t->anTokushuSenUintDot);
                    case 4: return Int(t->anTokushuSenPich);
                    case 5: return Int(t->anPrtTokushuSenPich);
                    default: break;
                }
            }
            break;
        }
        case kGridMojiType:
            if (const auto* t = Entry(m.EntMoj, row)) {
                switch (column) {
                    case 1: return Real(t->adMojiX);
                    case 2: return Real(t->adMojiY);
                    case 3: return Real(t->adMojiD);
                    case 4: return Int(t->anMojiCol);
                    default: break;
                }
            }
            break;
        default:
            break;
    }
    return ClearedCell(grid, row, column);
}

JwString JwTableSource::EntityCell(int grid, int row, int column) const {
    if (column == 0) return Int(row + 1);
    const TJwEntities& m = *ents_;
    switch (grid) {
        case kGridLine: {
            const TEntJwwLine& e = m.EntLine[row];
            return column <= 7 ? AttrCell(e.att, column) : LineCell(e, column);
        }
        case kGridEnko: {
            const TEntJwwEnko& e = m.EntEnko[row];
            switch (column) {
                case 8: return Real(e.start_x);
                case 9: return Real(e.start_y);
                case 10: return Real(e.dHankei);
                case 11: return Real(e.radKaishiKaku);
                case 12: return Real(e.radEnkoKaku);
                case 13: return Real(e.radKatamukiKaku);
                case 14: return Real(e.dHenpeiRitsu);
                case 15: return Int(static_cast<int32_t>(e.bZenEnFlg));
                default: return AttrCell(e.att, column);
            }
        }
        case kGridTen: {
            const TEntJwwTen& e = m.EntTen[row];
            switch (column) {
                case 8: return Real(e.start_x);
                case 9: return Real(e.start_y);
                case 10: return Int(static_cast<int32_t>(e.bKariten));
                case 11: return Int(static_cast<int32_t>(e.nCode));
                case 12: return Real(e.radKaitenKaku);
                case 13: return Real(e.dBairitsu);
                default: return AttrCell(e.att, column);
            }
        }
        case kGridMoji: {
            const TEntJwwMoji& e = m.EntMoji[row];
            return column <= 7 ? AttrCell(e.att, column) : MojiCell(e, column);
        }
        case kGridSunpo: {
            const TEntJwwSunpo& e = m.EntSunpo[row];
            if (column <= 7) return AttrCell(e.att, column);
            if (column <= 14) return AttrCell(e.Sen.att, column - 7);
            if (column <= 18) return LineCell(e.Sen, column - 7);
            if (column <= 25) return AttrCell(e.Moji.att, column - 18);
            return MojiCell(e.Moji, column - 18);
        }
        case kGridSolid: {
            const TEntJwwSolid& e = m.EntSolid[row];
            switch (column) {
                case 8: return Real(e.start_x);
                case 9: return Real(e.start_y);
                case 10: return Real(e.end_x);
                case 11: return Real(e.end_y);
                case 12: return Real(e.DPoint2_x);
                case 13: return Real(e.DPoint2_y);
                case 14: return Real(e.DPoint3_x);
                case 15: return Real(e.DPoint3_y);
                case 16: return Hex6(e.Color);
                default: return AttrCell(e.att, column);
            }
        }
        case kGridBlock: {
            const TEntJwwBlock& e = m.EntBlock[row];
            switch (column) {
                case 8: return Real(e.DPKijunTen_x);
                case 9: return Real(e.DPKijunTen_y);
                case 10: return Real(e.dBairitsuX);
                case 11: return Real(e.dBairitsuY);
                case 12: return Real(e.radKaitenKaku);
                case 13: return Int(static_cast<int32_t>(e.nNumber));
                default: return AttrCell(e.att, column);
            }
        }
        default:
            return JwString();
    }
}

}  // namespace jw
