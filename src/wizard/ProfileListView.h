#pragma once

#include <QTreeWidget>
#include <vector>

#include "app/ConversionWorkflow.h"

// The report list of browser profiles on the import and copy pages: four columns (count, browser,
// user, folder or file), one row per profile, a single full-row selection that stays visible when
// the list loses the focus.
class ProfileListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit ProfileListView(QWidget* parent = nullptr);

    void Fill(const std::vector<ConversionWorkflow::ProfileRow>& rows);
    void SetRow(int index, const ConversionWorkflow::ProfileRow& row);
    // The selected row, or -1.
    int SelectedRow() const;
};
