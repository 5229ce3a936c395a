#include "splice/chain.h"

#include "driver/report.h"
#include "records/file_table.h"

bool findLinkingSavePoint(int a, int b) {
  int position = 0;
  for (const EventSpan* node = FileTable[a].savePoints.head(); node != nullptr;
       node = node->next, ++position) {
    if (node->time == FileTable[b].start.time) {
      FileTable[a].linkIndex = position;
      return true;
    }
  }
  return false;
}

bool extendChain() {
  int c = chainLength;
  for (int i = c + 1; i < fileCount; ++i) {
    if (findLinkingSavePoint(i, c)) {
      FileTable[i].swapWith(FileTable[c + 1]);
      report("%s preceeds %s\n", FileTable[c + 1].name, FileTable[c].name);
      chainLength = c + 1;
      return true;
    }
  }
  return false;
}

void buildChain() {
  chainLength = 0;
  if (FileTable[0].start.time > kBeginningThreshold) {
    while (extendChain() &&
           FileTable[chainLength].start.time > kBeginningThreshold) {
    }
  }
}
