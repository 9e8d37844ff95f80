// Copying a drawing's layer settings into the display attributes.
#include <cmath>

#include "attributes/gra_attribute.h"
#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw {

int32_t JwLayerState(int32_t a, int32_t b) {
    if (a == 0 || b == 0) return 3;
    if (a == 1 || b == 1) return 2;
    return 1;
}

void TJwwData::SetGAttLayer() {
    TgraAttribute* ga = JwGraAttr;
    if (ga == nullptr) return;
    ga->SetDefaultLayer();
    const auto groups = static_cast<int32_t>(EntLgrp.size());
    const auto layers = static_cast<int32_t>(EntLay.size());
    for (int32_t n = 0; n < TgraAttribute::kLayerCount; ++n) {
        const int32_t g = n / 16;
        // A model that was never read (or failed early) has short tables:
        // layers without settings keep their defaults.
        if (g >= groups || n >= layers) continue;
        const TEntJwwLayerGroup& grp = EntLgrp[g];
        const TEntJwwLayer& lay = EntLay[n];
        const int32_t st = JwLayerState(grp.anGLay, lay.aanLay);
        // A zero or broken scale gives no usable layer scale; SetAttrLayer
        // takes a non-positive value as 1.0.
        double sc = 0.0;
        if (std::isfinite(grp.adScale) && grp.adScale != 0.0) {
            sc = 1.0 / grp.adScale;
            if (!std::isfinite(sc)) sc = 0.0;
        }
        ga->SetAttrLayer(n, st, sc, grp.aStrGLayName, lay.aStrLayName);
    }
}

}  // namespace jw
