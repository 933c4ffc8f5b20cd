#include "wizard/ProfileListView.h"

#include <QHeaderView>

#include "wizard/QtText.h"

namespace {

struct Column {
    const char* header;
    Qt::Alignment alignment;
    int width;
};

constexpr int kColumnCount = 4;
const Column kColumns[kColumnCount] = {
    {"取込数", Qt::AlignRight, 40},
    {"ブラウザ", Qt::AlignHCenter, 60},
    {"ユーザー", Qt::AlignLeft, 80},
    {"フォルダ/ファイル", Qt::AlignLeft, 180},
};

}  // namespace

ProfileListView::ProfileListView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(kColumnCount);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* head = new QTreeWidgetItem;
    for (int i = 0; i < kColumnCount; ++i) {
        head->setText(i, QString::fromUtf8(kColumns[i].header));
        head->setTextAlignment(i, kColumns[i].alignment | Qt::AlignVCenter);
    }
    setHeaderItem(head);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    for (int i = 0; i < kColumnCount; ++i) setColumnWidth(i, kColumns[i].width);
    // The selection looks the same with and without the focus.
    QPalette p = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
    }
    setPalette(p);
}

void ProfileListView::Fill(const std::vector<ConversionWorkflow::ProfileRow>& rows) {
    clear();
    for (size_t i = 0; i < rows.size(); ++i) {
        auto* item = new QTreeWidgetItem(this);
        for (int c = 0; c < kColumnCount; ++c) {
            item->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
        }
        SetRow(static_cast<int>(i), rows[i]);
    }
}

void ProfileListView::SetRow(int index, const ConversionWorkflow::ProfileRow& row) {
    QTreeWidgetItem* item = topLevelItem(index);
    if (!item) return;
    item->setText(0, QtText::FromInternal(row.count));
    item->setText(1, QtText::FromInternal(row.kind));
    item->setText(2, QtText::FromInternal(row.user));
    item->setText(3, QtText::FromInternal(row.path));
}

int ProfileListView::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return -1;
    return indexOfTopLevelItem(selected.front());
}
