#include "app/PageLayout.h"

#include <algorithm>

#include "workspace/Workspace.h"

namespace qx {

int TPageLayout::Count() const {
    return std::clamp(list_ + graph_, 0, MaxWatchPages);
}

std::string TPageLayout::Section(int index) const {
    const int j = IndexInKind(index);
    return Kind(index) == TPageKind::List ? ListPageSection(j) : GraphPageSection(j);
}

std::string TPageLayout::ReadCaption(const TMemIniFile& ini, int index) const {
    const int j = IndexInKind(index);
    return Kind(index) == TPageKind::List ? ReadListTabCaption(ini, j)
                                          : ReadGraphTabCaption(ini, j);
}

void TPageLayout::WriteCaption(TMemIniFile& ini, int index, const std::string& caption) const {
    const int j = IndexInKind(index);
    if (Kind(index) == TPageKind::List) {
        WriteListTabCaption(ini, j, caption);
    } else {
        WriteGraphTabCaption(ini, j, caption);
    }
}

int TPageLayout::StartPage() const {
    if (graph_ > 0) return list_;
    return Count() > 0 ? 0 : -1;
}

TPageLayout TPageLayout::Read(const TMemIniFile& ini) {
    int list = 0;
    int graph = 0;
    ReadPageCounts(ini, list, graph);
    return {list, graph};
}

void TPageLayout::WriteCounts(TMemIniFile& ini) const {
    WritePageCounts(ini, list_, graph_);
}

}  // namespace qx
