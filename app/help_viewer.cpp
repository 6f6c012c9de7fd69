#include "app/help_viewer.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

#include "app/resource_text.h"
#include "app/window_placement.h"
#include "resources/string_ids.h"
#include "settings/settings_store.h"
#include "util/format_text.h"

// The compiled-in pages live in a static library, whose resources are registered by hand.
static void RegisterCompiledPages() {
    Q_INIT_RESOURCE(farcast);
}

namespace {

void EnsureCompiledPages() {
    static const bool registered = (RegisterCompiledPages(), true);
    (void)registered;
}

const QString kCompiledPages = QStringLiteral(":/help");

std::unique_ptr<HelpViewer>& Viewer() {
    static std::unique_ptr<HelpViewer> viewer;
    return viewer;
}

QUrl FileUrl(const QString& file) {
    return file.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + file)
                                             : QUrl::fromLocalFile(file);
}

}  // namespace

QString HelpTopicFile(const QString& helpDirectory, const QString& name) {
    EnsureCompiledPages();
    const QString fileName = name + QStringLiteral(".html");
    if (!helpDirectory.isEmpty()) {
        const QDir base(helpDirectory);
        for (const QString& sub :
             {QStringLiteral("help"), QStringLiteral("../share/farcast/help")}) {
            const QString candidate = QDir::cleanPath(base.filePath(sub + '/' + fileName));
            if (QFileInfo(candidate).isFile())
                return candidate;
        }
    }
    const QString compiled = kCompiledPages + '/' + fileName;
    return QFileInfo::exists(compiled) ? compiled : QString();
}

HelpViewer::HelpViewer() : QWidget(nullptr, Qt::Window) {
    setWindowTitle(ResText(IDS_HELP_VIEWER_TITLE));
    setObjectName(QStringLiteral("help_viewer"));
    resize(640, 520);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->setOpenLinks(true);

    auto* contents = new QPushButton(ResText(IDS_HELP_CONTENTS), this);
    auto* back = new QPushButton(ResText(IDS_HELP_BACK), this);
    auto* forward = new QPushButton(ResText(IDS_HELP_FORWARD), this);
    auto* close = new QPushButton(ResText(IDS_HELP_CLOSE), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this,
            [this] { ShowTopic(QStringLiteral("contents")); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& url) { topic_ = QFileInfo(url.path()).completeBaseName(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
}

bool HelpViewer::ShowTopic(const QString& name) {
    const QString file = HelpTopicFile(QString::fromStdString(HelpFileDirectory()), name);
    if (file.isEmpty()) {
        topic_ = name;
        browser_->setPlainText(FromEngine(
            FormatText(LoadResString(IDS_HELP_TOPIC_MISSING), name.toStdString().c_str())));
        return false;
    }
    browser_->setSource(FileUrl(file));
    topic_ = name;
    return true;
}

void ShowHelpTopic(const QString& name) {
    auto& viewer = Viewer();
    const bool opening = !viewer;
    if (opening)
        viewer = std::make_unique<HelpViewer>();
    viewer->ShowTopic(name);
    viewer->show();
    if (opening)
        CentreOnScreen(viewer.get(), 0, 0);
    viewer->raise();
    viewer->activateWindow();
}

void ShowHelpContext(int context) {
    ShowHelpTopic(QStringLiteral("ctx_%1").arg(context));
}

void CloseHelpViewer() {
    Viewer().reset();
}

QString OpenHelpTopic() {
    const auto& viewer = Viewer();
    return viewer && viewer->isVisible() ? viewer->CurrentTopic() : QString();
}

HelpViewer* HelpViewerWindow() {
    return Viewer().get();
}
