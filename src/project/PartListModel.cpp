#include "project/PartListModel.h"

#include "project/PartList.h"

PartListModel::PartListModel(const ProjectState& project, QObject* parent)
    : QAbstractListModel(parent), project_(project) {}

void PartListModel::refresh() {
    if (rows_ == project_.PartCount()) {
        if (rows_ > 0) {
            emit dataChanged(index(0), index(rows_ - 1), {Qt::DisplayRole});
        }
        return;
    }
    beginResetModel();
    rows_ = project_.PartCount();
    endResetModel();
}

int PartListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant PartListModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    // The list may have shrunk since the last refresh: such rows show nothing.
    if (role != Qt::DisplayRole || !index.isValid() || row >= project_.PartCount()) {
        return {};
    }
    return PartListEntry(project_.Parts[row], row + 1);
}
