#pragma once
// The Copying page's folder browser: a tree rooted at the network, holding its file servers,
// their volumes and the volumes' directories, in which only a volume or a directory can be
// chosen. A server the workstation is not logged in to shows why its volumes cannot be shown
// instead of them. Levels are read when they are first opened (network_places.h).

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class NetworkFolderBrowser : public QDialog {
    Q_OBJECT

  public:
    // What an item of the tree is.
    enum Place { kServer = 1, kVolume, kDirectory, kNote };

    NetworkFolderBrowser(QWidget* parent, const QString& title);

    // Lists the servers; false, with nothing shown, when the network cannot be listed.
    bool Populate();

    // The chosen place: \\SERVER\VOLUME or \\SERVER\VOLUME\path; empty while the selection is
    // not a volume or a directory.
    QString SelectedPath() const;

    QTreeWidget* Tree() const { return tree_; }
    QPushButton* OkButton() const { return ok_; }
    QLabel* StatusLine() const { return status_; }
    // The child of parent (null: the top level) shown with this text, in any case, or null.
    QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) const;

    static Place PlaceOf(const QTreeWidgetItem* item);

  public slots:
    void accept() override;

  private:
    void Open(QTreeWidgetItem* item);
    void SelectionChanged();

    QTreeWidget* tree_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
};

// Shows the browser modal to parent and returns the chosen place, or an empty text when the
// user cancels. When the network cannot be listed it shows "Cannot find Network Neighbourhood"
// and returns an empty text.
QString BrowseNetworkFolder(QWidget* parent, const QString& title);
