#pragma once
// The help viewer: one window showing the program's HTML help topics. Topics are named
// "ctx_<context>" (a help context), "contents" and "using_help", each a file <name>.html.
// The pages are found through the help-location registry value: <dir>/help/ or
// <dir>/../share/farcast/help/ when that directory holds the page, otherwise the copy
// compiled into the program (":/help/").

#include <QString>
#include <QWidget>

class QTextBrowser;

class HelpViewer : public QWidget {
    Q_OBJECT
  public:
    HelpViewer();

    // Shows the topic; false (and a "cannot be found" page) when no copy of it exists.
    bool ShowTopic(const QString& name);
    QString CurrentTopic() const { return topic_; }
    QTextBrowser* Browser() const { return browser_; }

  private:
    QTextBrowser* browser_ = nullptr;
    QString topic_;
};

// The file of a topic: the installed page when it exists, else the compiled-in one; empty
// when neither exists. helpDirectory is the registry's help location (may be empty).
QString HelpTopicFile(const QString& helpDirectory, const QString& name);

// Opens the viewer (creating it on first use), shows the topic and brings it to the front.
void ShowHelpTopic(const QString& name);
void ShowHelpContext(int context);
// Closes the viewer if it is open.
void CloseHelpViewer();
// The topic shown, empty when the viewer is not open.
QString OpenHelpTopic();
HelpViewer* HelpViewerWindow();
