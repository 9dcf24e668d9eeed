#include "workspace/Workspace.h"

#include <algorithm>
#include <cstdint>

#include "workspace/MemIniFile.h"

namespace qx {

std::string WorkspaceFileNameFor(const std::string& programPath) {
    return programPath + ".QFG";
}

void LimitPageCounts(int& ListCount, int& GraphCount) {
    // 64-bit so that counts near the integer limits cannot overflow the sum.
    std::int64_t list = std::max(ListCount, 0);
    std::int64_t graph = std::max(GraphCount, 0);
    const std::int64_t sum = list + graph;
    if (sum > MaxWatchPages) {
        const std::int64_t cut = (sum - MaxWatchPages + 1) / 2;
        list -= cut;
        graph -= cut;
        if (list < 0) {
            list = 0;
            graph = std::min<std::int64_t>(graph, MaxWatchPages);
        }
        if (graph < 0) {
            graph = 0;
            list = std::min<std::int64_t>(list, MaxWatchPages);
        }
    }
    ListCount = static_cast<int>(list);
    GraphCount = static_cast<int>(graph);
}

std::string ListPageSection(int i) {
    return "WatchList" + std::to_string(i);
}
std::string GraphPageSection(int j) {
    return "GraphList" + std::to_string(j);
}

TWindowBounds ReadWindowBounds(const TMemIniFile& Ini, TWindowBounds current) {
    current.Top = Ini.ReadInteger("Windows", "Top", current.Top);
    current.Left = Ini.ReadInteger("Windows", "Left", current.Left);
    current.Height = Ini.ReadInteger("Windows", "Height", current.Height);
    current.Width = Ini.ReadInteger("Windows", "Width", current.Width);
    return current;
}

void WriteWindowBounds(TMemIniFile& Ini, const TWindowBounds& bounds) {
    Ini.WriteInteger("Windows", "Top", bounds.Top);
    Ini.WriteInteger("Windows", "Left", bounds.Left);
    Ini.WriteInteger("Windows", "Height", bounds.Height);
    Ini.WriteInteger("Windows", "Width", bounds.Width);
}

bool ReadStatusShown(const TMemIniFile& Ini) {
    return Ini.ReadBool("Windows", "ShowStatus", false);
}

void WriteStatusShown(TMemIniFile& Ini, bool shown) {
    Ini.WriteBool("Windows", "ShowStatus", shown);
}

TRemoteNodes ReadRemoteNodes(const TMemIniFile& Ini) {
    TRemoteNodes nodes;
    nodes.SetupNode = Ini.ReadString("RemoteNode", "QXSetup", "");
    nodes.RtuNode = Ini.ReadString("RemoteNode", "QXRtu", "");
    nodes.ZOVizNode = Ini.ReadString("RemoteNode", "QXMBRtu", "");
    nodes.DecodeNode = Ini.ReadString("RemoteNode", "QXDecode", "");
    return nodes;
}

void WriteRemoteNodes(TMemIniFile& Ini, const TRemoteNodes& nodes) {
    Ini.WriteString("RemoteNode", "QXSetup", nodes.SetupNode);
    Ini.WriteString("RemoteNode", "QXRtu", nodes.RtuNode);
    Ini.WriteString("RemoteNode", "QXMBRtu", nodes.ZOVizNode);
    Ini.WriteString("RemoteNode", "QXDecode", nodes.DecodeNode);
}

void ReadPageCounts(const TMemIniFile& Ini, int& ListCount, int& GraphCount) {
    ListCount = Ini.ReadInteger("PageSettings", "ListPages", DefaultListPages);
    GraphCount = Ini.ReadInteger("PageSettings", "GraphPages", DefaultGraphPages);
    LimitPageCounts(ListCount, GraphCount);
}

void WritePageCounts(TMemIniFile& Ini, int ListCount, int GraphCount) {
    Ini.WriteInteger("PageSettings", "ListPages", ListCount);
    Ini.WriteInteger("PageSettings", "GraphPages", GraphCount);
}

std::string ReadListTabCaption(const TMemIniFile& Ini, int i) {
    return Ini.ReadString("TabNames", ListPageSection(i), "Watch " + std::to_string(i + 1));
}

std::string ReadGraphTabCaption(const TMemIniFile& Ini, int j) {
    return Ini.ReadString("TabNames", GraphPageSection(j), "Graph " + std::to_string(j + 1));
}

void WriteListTabCaption(TMemIniFile& Ini, int i, const std::string& caption) {
    Ini.WriteString("TabNames", ListPageSection(i), caption);
}

void WriteGraphTabCaption(TMemIniFile& Ini, int j, const std::string& caption) {
    Ini.WriteString("TabNames", GraphPageSection(j), caption);
}

}  // namespace qx
