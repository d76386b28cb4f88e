#pragma once

#include "waypoint_file/filewaypoints.h"
#include "waypoint_file/receivernames.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>

// The waypoints of a file as they will be sent: a tick, the name, the position and the
// sentence, one row each in file order. Names are derived again whenever one is edited or the
// name length changes, so that they stay unique.
class WaypointListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        NameColumn,
        PositionColumn,
        SentenceColumn,
        NoteColumn,
        ColumnCount
    };

    // The rows with their names and sentences worked out: made on any thread, so that a large
    // file costs the window nothing.
    struct Rows
    {
        QList<QString> names;
        QList<position::Position> positions;
        QList<position::ReceiverForm> forms;
        QList<qint64> lines;
        QList<waypointfile::ReceiverWaypoint> sent;
        int nameLength = waypointfile::defaultNameLength;
    };
    static Rows prepare(QList<waypointfile::FileWaypoint> waypoints, int nameLength);

    explicit WaypointListModel(QObject *parent = nullptr);

    // Replaces the rows; every row is ticked.
    void setRows(Rows rows);
    void setWaypoints(QList<waypointfile::FileWaypoint> waypoints, int nameLength)
    {
        setRows(prepare(std::move(waypoints), nameLength));
    }
    void setNameLength(int nameLength);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    qsizetype tickedCount() const { return m_tickedCount; }
    // The ticked rows' sentences in list order, in the bytes that go to the port and the log.
    QList<QByteArray> tickedSentences() const;
    const waypointfile::ReceiverWaypoint &waypoint(int row) const { return m_rows.sent.at(row); }

signals:
    void tickedCountChanged(qsizetype ticked);

private:
    void deriveNames();

    Rows m_rows;
    QList<bool> m_ticked;
    qsizetype m_tickedCount = 0;
};
