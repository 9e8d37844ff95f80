// The twelve tables of the window (layer groups, layers, line colours, line
// types, text types and the seven entity lists) as a view-independent data
// source. A table view asks it cell by cell on demand, so a drawing with a
// million entities opens at once: nothing is copied or precomputed, and every
// cell is computed in constant time from the model.
//
// The source holds a const pointer to the model; the owner of the model (the
// window) keeps it alive and unchanged while it is shown, and calls Clear()
// before it frees or re-reads it.
#pragma once

#include <cstdint>
#include <string>

#include "model/jw_data.h"

namespace jw {

// Grids in page order (pages 2-13 of the window).
enum JwGridId : int {
    kGridLayerGroup = 0,  // "レイヤＧ"
    kGridLayer,           // "レイヤ"
    kGridColor,           // "線色"
    kGridLineType,        // "線種"
    kGridMojiType,        // "文字種"
    kGridLine,            // "線分"
    kGridEnko,            // "円弧"
    kGridTen,             // "点"
    kGridMoji,            // "文字"
    kGridSunpo,           // "寸法"
    kGridSolid,           // "ソリッド"
    kGridBlock,           // "ブロック"
    kGridCount
};

class JwTableSource {
public:
    // Starts cleared (nothing loaded).
    JwTableSource() = default;

    // Back to the cleared state: fixed numbering and names in the table
    // grids, one empty row in each entity grid.
    void Clear();
    // Shows a JWW drawing: every table and entity grid. A null pointer clears.
    void SetJww(const TJwwData* jw);
    // Shows a JWS figure: the layer-group scales and the entity grids; the
    // other tables keep their cleared content. A null pointer clears.
    void SetJws(const TJwsData* jws);

    // Page caption of a grid ("レイヤＧ" ... "ブロック"); empty for an unknown grid.
    static JwString Caption(int grid);
    // Name of the grid control ("StringGrid1" ... "StringGrid_Block").
    static const char* GridName(int grid);
    static int ColumnCount(int grid);
    static JwString ColumnHeader(int grid, int column);

    int RowCount(int grid) const;
    // Text of one cell; empty outside the grid.
    JwString Cell(int grid, int row, int column) const;
    // Number of entities of the grid's kind that the model really holds (0
    // for the five table grids).
    int32_t EntityCount(int grid) const;
    // Name of the block definition that row of "ブロック" inserts; empty
    // when there is none of that number.
    JwString BlockDefinitionName(int row) const;

private:
    // Content a cell has after Clear().
    static JwString ClearedCell(int grid, int row, int column);
    JwString TableCell(int grid, int row, int column) const;
    // A cell of an entity the model holds (row < EntityCount(grid)).
    JwString EntityCell(int grid, int row, int column) const;

    const TJwEntities* ents_ = nullptr;  // the model shown (JWW or JWS)
    const TJwwData* jww_ = nullptr;      // set only for a JWW drawing
};

}  // namespace jw
