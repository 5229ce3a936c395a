// Orders the record files into a chain, backwards from the named file.
#ifndef LOGWELD_SPLICE_CHAIN_H_
#define LOGWELD_SPLICE_CHAIN_H_

// Start times up to this one mark the beginning of a recording.
constexpr int kBeginningThreshold = 20;

// Builds the chain from record 0 and sets chainLength: record k + 1 then
// precedes record k, and its linkIndex names the save point it continues.
void buildChain();

// Moves the first record after the chain with a save point at the start
// time of the chain's earliest file to just behind the chain, and reports
// the link. True when such a record was found.
bool extendChain();

// True when record a has a save point at the start time of record b; then
// FileTable[a].linkIndex is the position of the first such save point.
bool findLinkingSavePoint(int a, int b);

#endif  // LOGWELD_SPLICE_CHAIN_H_
