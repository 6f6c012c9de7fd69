#include "app/folder_browser.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/dialog_units.h"
#include "app/network_places.h"
#include "app/resource_text.h"
#include "platform/window_system.h"
#include "resources/string_ids.h"

namespace {

constexpr int kPlaceRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kOpenedRole = Qt::UserRole + 2;

// The wait cursor while a level is read.
class WaitCursor {
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QIcon IconOf(NetworkFolderBrowser::Place place) {
    QStyle* style = QApplication::style();
    switch (place) {
        case NetworkFolderBrowser::kServer:
            return style->standardIcon(QStyle::SP_ComputerIcon);
        case NetworkFolderBrowser::kVolume:
            return style->standardIcon(QStyle::SP_DriveNetIcon);
        case NetworkFolderBrowser::kDirectory:
            return style->standardIcon(QStyle::SP_DirIcon);
        case NetworkFolderBrowser::kNote:
            return style->standardIcon(QStyle::SP_MessageBoxWarning);
    }
    return {};
}

QTreeWidgetItem* NewItem(NetworkFolderBrowser::Place place, const QString& text,
                         const QString& path) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, kPlaceRole, place);
    item->setData(0, kPathRole, path);
    item->setIcon(0, IconOf(place));
    if (place == NetworkFolderBrowser::kNote) {
        // A sentence, not a place: it cannot be chosen or opened. Its whole text is also its
        // tip, for a narrow window.
        item->setFlags(Qt::ItemIsEnabled);
        item->setToolTip(0, text);
        QFont font = item->font(0);
        font.setItalic(true);
        item->setFont(0, font);
    } else {
        // Whether it holds anything is known once it is opened.
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    return item;
}

}  // namespace

NetworkFolderBrowser::NetworkFolderBrowser(QWidget* parent, const QString& title)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("NetworkFolderBrowser"));
    setWindowTitle(title);
    setFont(DialogUnits::DialogFont());
    const DialogUnits units;

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("places"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setUniformRowHeights(true);
    tree_->setMinimumSize(units.X(250), units.Y(160));
    tree_->header()->setStretchLastSection(true);
    connect(tree_, &QTreeWidget::itemExpanded, this, &NetworkFolderBrowser::Open);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this,
            &NetworkFolderBrowser::SelectionChanged);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextFormat(Qt::PlainText);
    status_->setMinimumWidth(units.X(250));

    ok_ = new QPushButton(ResText(IDS_SHEET_OK), this);
    ok_->setObjectName(QStringLiteral("id_1"));
    auto* cancel = new QPushButton(ResText(IDS_SHEET_CANCEL), this);
    cancel->setObjectName(QStringLiteral("id_2"));
    ok_->setDefault(true);
    for (QPushButton* button : {ok_, cancel})
        button->setFixedSize(units.X(50), units.Y(14));
    connect(ok_, &QPushButton::clicked, this, &NetworkFolderBrowser::accept);
    connect(cancel, &QPushButton::clicked, this, &NetworkFolderBrowser::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(units.X(7), units.Y(7), units.X(7), units.Y(7));
    layout->setSpacing(units.Y(4));
    layout->addWidget(tree_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    SelectionChanged();
}

bool NetworkFolderBrowser::Populate() {
    tree_->clear();
    PlaceListing servers;
    {
        WaitCursor wait;
        servers = ListNetworkServers();
    }
    if (!servers.available)
        return false;
    for (const std::string& name : servers.names)
        tree_->addTopLevelItem(NewItem(kServer, FromEngine(name), FromEngine(ServerPath(name))));
    if (QTreeWidgetItem* first = tree_->topLevelItem(0))
        tree_->setCurrentItem(first);
    return true;
}

NetworkFolderBrowser::Place NetworkFolderBrowser::PlaceOf(const QTreeWidgetItem* item) {
    return item ? static_cast<Place>(item->data(0, kPlaceRole).toInt()) : kNote;
}

QTreeWidgetItem* NetworkFolderBrowser::Child(QTreeWidgetItem* parent, const QString& text) const {
    const int count = parent ? parent->childCount() : tree_->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* child = parent ? parent->child(i) : tree_->topLevelItem(i);
        if (child->text(0).compare(text, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

void NetworkFolderBrowser::Open(QTreeWidgetItem* item) {
    if (!item || item->data(0, kOpenedRole).toBool())
        return;
    item->setData(0, kOpenedRole, true);
    const Place place = PlaceOf(item);
    const std::string path = item->data(0, kPathRole).toString().toStdString();
    PlaceListing listing;
    {
        WaitCursor wait;
        listing = place == kServer ? ListServerVolumes(item->text(0).toStdString())
                                   : ListSubdirectories(path);
    }
    if (!listing.available) {
        item->addChild(NewItem(kNote, FromEngine(listing.reason), QString()));
        return;
    }
    const Place childPlace = place == kServer ? kVolume : kDirectory;
    for (const std::string& name : listing.names)
        item->addChild(NewItem(childPlace, FromEngine(name), FromEngine(PlaceBelow(path, name))));
    if (listing.names.empty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

QString NetworkFolderBrowser::SelectedPath() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    if (!item || !item->isSelected())
        return QString();
    const Place place = PlaceOf(item);
    return place == kVolume || place == kDirectory ? item->data(0, kPathRole).toString()
                                                   : QString();
}

void NetworkFolderBrowser::SelectionChanged() {
    const QString path = SelectedPath();
    ok_->setEnabled(!path.isEmpty());
    status_->setText(path.isEmpty() ? ResText(IDS_BROWSE_CHOOSE) : path);
}

void NetworkFolderBrowser::accept() {
    // Only a place on a volume can be the destination.
    if (!SelectedPath().isEmpty())
        QDialog::accept();
}

QString BrowseNetworkFolder(QWidget* parent, const QString& title) {
    NetworkFolderBrowser browser(parent, title);
    if (!browser.Populate()) {
        win::Ui().MessageBox(win::kMainWindow, LoadResString(IDS_ERR_NO_NETWORK_FOLDER),
                             LoadResString(IDS_CAPTION_FARCAST),
                             win::MB_OK | win::MB_ICONSTOP | win::MB_SETFOREGROUND);
        return QString();
    }
    return browser.exec() == QDialog::Accepted ? browser.SelectedPath() : QString();
}
