// Where each page of the window sits: list pages first, then chart pages.
// Maps a page's position to its kind, its place among its kind, its
// workspace section ("WatchList" + i, "GraphList" + j) and its tab caption
// key, so that creating, loading and saving the pages agree.
#pragma once

#include <string>

namespace qx {

class TMemIniFile;

enum class TPageKind { List, Chart };

class TPageLayout {
public:
    TPageLayout() = default;
    TPageLayout(int listCount, int graphCount) : list_(listCount), graph_(graphCount) {}

    int ListCount() const { return list_; }
    int GraphCount() const { return graph_; }
    // The pages that exist: both counts, at most the sixteen the window holds.
    int Count() const;

    TPageKind Kind(int index) const { return index < list_ ? TPageKind::List : TPageKind::Chart; }
    // The position among the pages of the same kind.
    int IndexInKind(int index) const { return index < list_ ? index : index - list_; }
    // The section the page keeps its contents in.
    std::string Section(int index) const;
    std::string ReadCaption(const TMemIniFile& ini, int index) const;
    void WriteCaption(TMemIniFile& ini, int index, const std::string& caption) const;

    // The page selected at start: the first chart page, else the first
    // page, else none (-1).
    int StartPage() const;

    // The counts under "PageSettings", read already limited.
    static TPageLayout Read(const TMemIniFile& ini);
    void WriteCounts(TMemIniFile& ini) const;

private:
    int list_ = 0;
    int graph_ = 0;
};

}  // namespace qx
