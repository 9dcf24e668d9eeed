#include <gtest/gtest.h>

#include <climits>

#include "workspace/MemIniFile.h"
#include "workspace/Workspace.h"

namespace qx {
namespace {

struct CountsCase {
    int List, Graph;
    int ExpectedList, ExpectedGraph;
};

// The counts rule, shared by the workspace load and the settings dialog.
constexpr CountsCase kCountsCases[] = {
    {5, 3, 5, 3},
    {10, 10, 8, 8},
    {20, 0, 16, 0},
    {17, 0, 16, 0},
    {1, 30, 0, 16},
    {15, 4, 13, 2},
    {0, 0, 0, 0},
    {16, 0, 16, 0},
    {0, 16, 0, 16},
    {8, 9, 7, 8},
    {-2, 3, 0, 3},
    {20, -3, 16, 0},
    {INT_MAX, INT_MAX, 8, 8},  // no overflow on the way
    {INT_MAX, 0, 16, 0},
    {INT_MIN, INT_MIN, 0, 0},
};

TEST(Workspace, LimitPageCounts) {
    for (const CountsCase& c : kCountsCases) {
        int list = c.List;
        int graph = c.Graph;
        LimitPageCounts(list, graph);
        EXPECT_EQ(list, c.ExpectedList) << c.List << "/" << c.Graph;
        EXPECT_EQ(graph, c.ExpectedGraph) << c.List << "/" << c.Graph;
    }
}

TEST(Workspace, DefaultsOfAnEmptyFile) {
    const TMemIniFile ini;
    int list = -1;
    int graph = -1;
    ReadPageCounts(ini, list, graph);
    EXPECT_EQ(list, 5);
    EXPECT_EQ(graph, 3);
    EXPECT_EQ(ReadListTabCaption(ini, 0), "Watch 1");
    EXPECT_EQ(ReadGraphTabCaption(ini, 2), "Graph 3");
    const TRemoteNodes nodes = ReadRemoteNodes(ini);
    EXPECT_TRUE(nodes.SetupNode.empty() && nodes.RtuNode.empty() && nodes.ZOVizNode.empty() &&
                nodes.DecodeNode.empty());
    const TWindowBounds bounds = ReadWindowBounds(ini, {1, 2, 3, 4});
    EXPECT_EQ(bounds.Top, 1);
    EXPECT_EQ(bounds.Width, 4);
    EXPECT_EQ(WorkspaceFileNameFor("/opt/qx/qxrirovozer"), "/opt/qx/qxrirovozer.QFG");
    EXPECT_EQ(ListPageSection(0), "WatchList0");
    EXPECT_EQ(GraphPageSection(11), "GraphList11");
}

TEST(Workspace, KeysRoundTripUnderTheirNames) {
    TMemIniFile ini;
    ini.SetText("[PageSettings]\nListPages=x\nGraphPages=30\n[windows]\nwidth=640\n");
    int list = 0;
    int graph = 0;
    ReadPageCounts(ini, list, graph);
    EXPECT_EQ(list, 0);  // 5 (not a number) and 30: 21 above, 11 from each
    EXPECT_EQ(graph, 16);
    EXPECT_EQ(ReadWindowBounds(ini, {1, 2, 3, 4}).Width, 640);

    TMemIniFile out;
    WriteRemoteNodes(out, {"setuphost", "rtuhost", "mbhost", "dechost"});
    WriteListTabCaption(out, 1, "Pumps");
    WriteGraphTabCaption(out, 0, "River");
    WritePageCounts(out, 2, 1);
    WriteWindowBounds(out, {10, 20, 300, 400});
    EXPECT_EQ(out.Text(),
              "[RemoteNode]\nQXSetup=setuphost\nQXRtu=rtuhost\nQXMBRtu=mbhost\nQXDecode=dechost\n"
              "[TabNames]\nWatchList1=Pumps\nGraphList0=River\n"
              "[PageSettings]\nListPages=2\nGraphPages=1\n"
              "[Windows]\nTop=10\nLeft=20\nHeight=300\nWidth=400\n");
    EXPECT_EQ(ReadRemoteNodes(out).ZOVizNode, "mbhost");
    EXPECT_EQ(ReadListTabCaption(out, 1), "Pumps");
    EXPECT_EQ(ReadListTabCaption(out, 0), "Watch 1");
}

}  // namespace
}  // namespace qx
