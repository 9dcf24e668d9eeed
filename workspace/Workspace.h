// The main window's part of the workspace file: window bounds, remote
// nodes, page counts and tab captions, with their defaults, and the rule
// that keeps the page counts within the sixteen pages the window holds.
// The pages write their own sections.
#pragma once

#include <string>

namespace qx {

class TMemIniFile;

inline constexpr int MaxWatchPages = 16;
inline constexpr int DefaultListPages = 5;
inline constexpr int DefaultGraphPages = 3;

// The workspace file of a program: its path with ".QFG" appended.
std::string WorkspaceFileNameFor(const std::string& programPath);

// Brings both counts to at least 0 and their sum to at most 16: negative
// counts count as 0; then, above 16, half the excess (rounded up) is taken
// from each, and a count that went below 0 becomes 0 while the other is
// held to 16. An odd excess leaves the sum one short of 16.
void LimitPageCounts(int& ListCount, int& GraphCount);

// "WatchList" + i and "GraphList" + j.
std::string ListPageSection(int i);
std::string GraphPageSection(int j);

struct TWindowBounds {
    int Top = 0;
    int Left = 0;
    int Height = 0;
    int Width = 0;
};

// The computers that run the suite's servers; empty = this computer.
struct TRemoteNodes {
    std::string SetupNode;
    std::string RtuNode;
    std::string ZOVizNode;
    std::string DecodeNode;
};

// Each bound that is missing or not a whole number keeps the given value.
TWindowBounds ReadWindowBounds(const TMemIniFile& Ini, TWindowBounds current);
void WriteWindowBounds(TMemIniFile& Ini, const TWindowBounds& bounds);

// "Windows"/"ShowStatus": whether the status panel shows; hidden by default.
bool ReadStatusShown(const TMemIniFile& Ini);
void WriteStatusShown(TMemIniFile& Ini, bool shown);

TRemoteNodes ReadRemoteNodes(const TMemIniFile& Ini);
void WriteRemoteNodes(TMemIniFile& Ini, const TRemoteNodes& nodes);

// The counts (defaults 5 and 3), already limited.
void ReadPageCounts(const TMemIniFile& Ini, int& ListCount, int& GraphCount);
void WritePageCounts(TMemIniFile& Ini, int ListCount, int GraphCount);

// Tab captions under "TabNames"; defaults "Watch " + (i + 1) and
// "Graph " + (j + 1).
std::string ReadListTabCaption(const TMemIniFile& Ini, int i);
std::string ReadGraphTabCaption(const TMemIniFile& Ini, int j);
void WriteListTabCaption(TMemIniFile& Ini, int i, const std::string& caption);
void WriteGraphTabCaption(TMemIniFile& Ini, int j, const std::string& caption);

}  // namespace qx
