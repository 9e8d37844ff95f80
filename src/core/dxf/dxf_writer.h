// The DXF file writer. SaveDXF and SaveDXFText are members of TDXFmodel
// (dxf_model.h); this header holds the writer's free helpers.
#pragma once

#include <string>

namespace jw {

using JwString = std::u16string;

// Creation and last-write times of the file src as local day counts since
// 1899-12-30; both 0 when the file does not exist. Where the file system keeps
// no creation time the last-write time stands for it.
void DxfSourceDates(const JwString& src, double& created, double& updated);

}  // namespace jw
