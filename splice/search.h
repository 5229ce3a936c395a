// Finds every record file of the recording and scans it into the table.
#ifndef LOGWELD_SPLICE_SEARCH_H_
#define LOGWELD_SPLICE_SEARCH_H_

// Scans every "Record*.log" of baseDirectory, then of its sub-directories
// Logs00 to Logs99, into FileTable[fileCount] onwards, reporting the pass
// numbers and a summary line per file. Files that cannot be opened as
// regular files are skipped silently; names longer than a record holds are
// reported and skipped; files beyond the table's room are not read.
void searchRecordFiles();

#endif  // LOGWELD_SPLICE_SEARCH_H_
