#pragma once

#include "server/Database.h"

namespace dovra {

int LatestSchemaVersion();

// The version recorded in the ledger file; 0 for a file that has none yet.
int SchemaVersion(Database& db);

// Brings the file forward to target, one recorded step at a time. A file written by a newer server is
// refused rather than guessed at.
void MigrateSchema(Database& db, int target = LatestSchemaVersion());

} // namespace dovra
