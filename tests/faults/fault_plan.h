#pragma once
// The test's side of the fault seam: which call fails, and what the calls did.

#include <string>
#include <vector>

struct FaultCall {
    std::string operation;  // "CreateFileA", "ReadFile", ..., "malloc"
    std::string path;       // the file it concerns, "" for malloc
};

// Starts a new run: calls are counted from 1 and call number failAt fails (0: none fails).
// GetModuleFileNameA reports ownPath, so the code under test reads that file as its own.
void StartFaultRun(unsigned failAt, const std::string& ownPath);
// Every failable call of the run, in order; the failed one, if any, is the last.
const std::vector<FaultCall>& FaultCalls();
bool FaultHit();
int OpenHandleCount();
int LiveAllocationCount();
