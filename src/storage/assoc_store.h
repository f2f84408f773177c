// The host's association table in the registry: Type0, Type1, ... below
// AssocKeyPath, each with eight text values.
#pragma once

#include <cstdint>

#include "model/assoc_list.h"

constexpr unsigned char GroupMarker = 0x10;

bool LoadAssociations(AssocList& list);
bool SaveAssociations(const AssocList& list);
bool ReadAssocRecord(AssocRecord& record, int32_t n);
bool WriteAssocRecord(const AssocRecord& record, int32_t n);
