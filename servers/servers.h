// The reference application servers, embedded in the process over a SQLite database.
#pragma once
#include <memory>
#include <string>

namespace yz::servers {

class Database;

// Makes the embedded servers the process's embedded transport: connections with an empty
// computer name (or "sqlite:<file>") reach them. Safe to call more than once.
void InstallEmbeddedServers();

// The database of a location (a file path, or ":memory:"), opened on first use and kept for
// the process; created with the schema and demo ward when new.
std::shared_ptr<Database> DatabaseAt(const std::string& location);
// Forgets every open database (an in-memory one starts fresh at its next use).
void CloseDatabases();

}  // namespace yz::servers
