#pragma once

#include <QAbstractListModel>

#include "project/ProjectState.h"

// The entries of the part list box. They are read from the project when the view asks for
// them, so a refresh of a long list costs only the rows on screen.
class PartListModel : public QAbstractListModel {
public:
    explicit PartListModel(const ProjectState& project, QObject* parent = nullptr);

    // Takes the part list as it is now; the view then asks for its entries afresh. A list of
    // unchanged length keeps the view's current row and selection.
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const ProjectState& project_;
    int rows_ = 0;
};
