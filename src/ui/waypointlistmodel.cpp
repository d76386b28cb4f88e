#include "ui/waypointlistmodel.h"

#include "platform/eightbit.h"

WaypointListModel::WaypointListModel(QObject *parent) : QAbstractTableModel(parent) {}

WaypointListModel::Rows WaypointListModel::prepare(QList<waypointfile::FileWaypoint> waypoints,
                                                   int nameLength)
{
    Rows rows;
    rows.names.reserve(waypoints.size());
    rows.positions.reserve(waypoints.size());
    rows.lines.reserve(waypoints.size());
    for (waypointfile::FileWaypoint &waypoint : waypoints) {
        rows.names.append(std::move(waypoint.name));
        rows.positions.append(waypoint.position);
        rows.lines.append(waypoint.line);
    }
    rows.forms = waypointfile::receiverForms(rows.positions);
    rows.nameLength = nameLength;
    rows.sent = waypointfile::receiverWaypoints(rows.names, rows.forms, nameLength);
    return rows;
}

void WaypointListModel::setRows(Rows rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_ticked = QList<bool>(m_rows.sent.size(), true);
    m_tickedCount = m_rows.sent.size();
    endResetModel();
    emit tickedCountChanged(m_tickedCount);
}

void WaypointListModel::setNameLength(int nameLength)
{
    m_rows.nameLength = nameLength;
    deriveNames();
    if (!m_rows.sent.isEmpty())
        emit dataChanged(index(0, NameColumn), index(rowCount() - 1, NoteColumn));
}

void WaypointListModel::deriveNames()
{
    m_rows.sent = waypointfile::receiverWaypoints(m_rows.names, m_rows.forms, m_rows.nameLength);
}

int WaypointListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.sent.size());
}

int WaypointListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant WaypointListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const waypointfile::ReceiverWaypoint &sent = m_rows.sent.at(row);
    if (role == Qt::CheckStateRole && index.column() == NameColumn)
        return m_ticked.at(row) ? Qt::Checked : Qt::Unchecked;
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return sent.name;
    case PositionColumn:
        return position::degreesAndMinutes(m_rows.positions.at(row));
    case SentenceColumn:
        return sent.sentence.chopped(2);
    case NoteColumn:
        return sent.cutToFit ? tr("Line %1; name cut to fit the sentence").arg(m_rows.lines.at(row))
                             : tr("Line %1").arg(m_rows.lines.at(row));
    default:
        return {};
    }
}

bool WaypointListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != NameColumn)
        return false;
    const int row = index.row();
    if (role == Qt::CheckStateRole) {
        const bool ticked = value.toInt() == Qt::Checked;
        if (ticked == m_ticked.at(row))
            return true;
        m_ticked[row] = ticked;
        m_tickedCount += ticked ? 1 : -1;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit tickedCountChanged(m_tickedCount);
        return true;
    }
    if (role != Qt::EditRole)
        return false;
    m_rows.names[row] = value.toString();
    // Another row may have to give way to the new name, or may take back its own.
    deriveNames();
    emit dataChanged(this->index(0, NameColumn), this->index(rowCount() - 1, NoteColumn));
    return true;
}

Qt::ItemFlags WaypointListModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == NameColumn)
        flags |= Qt::ItemIsUserCheckable | Qt::ItemIsEditable;
    return flags;
}

QVariant WaypointListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case NameColumn:
        return tr("Name");
    case PositionColumn:
        return tr("Position");
    case SentenceColumn:
        return tr("Sentence");
    case NoteColumn:
        return tr("Note");
    default:
        return {};
    }
}

QList<QByteArray> WaypointListModel::tickedSentences() const
{
    QList<QByteArray> sentences;
    sentences.reserve(m_tickedCount);
    for (qsizetype row = 0; row < m_rows.sent.size(); ++row) {
        if (m_ticked.at(row))
            sentences.append(platform::toEightBit(m_rows.sent.at(row).sentence));
    }
    return sentences;
}
