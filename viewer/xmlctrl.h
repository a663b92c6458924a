#ifndef XMLCTRL_H
#define XMLCTRL_H

#include <QDockWidget>
#include <QModelIndex>
#include <QString>

#include <memory>

class CameraSession;
class QSortFilterProxyModel;
class TreeModel;

namespace Ui {
class XMLCtrl;
}

// The "XML Control" dock: the open camera's feature tree, narrowed by a filter field to the
// nodes whose name contains the text typed (with their categories), and an editor for the node
// last clicked (line edit for integer, float, string and boolean nodes, combo box for
// enumerations, button for commands). After a write it tells the camera control dock, by
// name rules, which panels to reload.
class XMLCtrl : public QDockWidget
{
    Q_OBJECT

public:
    // Which editor HideShowXMLCtrl shows for the current node.
    enum class EditorMode
    {
        None,
        LineEdit,
        Enum,
        Command
    };

    // The session's stream state locks size nodes; a user-set load stops and restarts it.
    explicit XMLCtrl(CameraSession* session, QWidget* parent = nullptr);
    ~XMLCtrl() override;

    // Builds a fresh tree for the camera just opened / drops it when the camera closes.
    void CreateXMLTree(void* hCamera);
    void DeleteXMLTree();

    void HideShowXMLCtrl(EditorMode mode, bool enable);
    // Locks the size and format nodes' editor while a stream runs.
    void UpdateAcqState(bool acquiring);
    // Reads the node in the editor again (the camera's settings changed behind it).
    void reloadCurrentNode();

    TreeModel* model() const { return m_model; }
    QString currentNodeName() const { return m_nodeName; }
    int currentNodeType() const { return m_nodeType; }

signals:
    void sigUpdateFeatureInfo(bool bUpdate);
    void sigUpdateVideoInfo();
    void sigUpdateTriggerInfo();
    void sigUpdateStrobeInfo();
    void sigUpdateUSerSetInfo();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_treeXML_clicked(const QModelIndex& index);
    void on_cmbXMLValue_activated(const QString& text);
    void on_btnXMLExcute_clicked();
    void on_edXMLFilter_textChanged(const QString& text);

private:
    bool showLineValue(int readStatus, const QString& text, bool editable);
    bool showIntegerNode(const QString& name, bool editable);
    bool showFloatNode(const QByteArray& name, bool editable);
    bool showStringNode(const QByteArray& name, bool editable);
    bool showBooleanNode(const QByteArray& name, bool editable);
    bool showEnumNode(const QByteArray& name, bool editable);
    bool enterValue(const QString& text);
    bool writeInteger(const QString& text);
    bool writeFloat(const QString& text);
    void emitEnumReloads();
    void emitValueReloads();
    bool writeChecked(int status, const QString& what);
    // The dock's status line: "<node>: <message>".
    void say(const QString& message);
    void revealCurrentNode();
    bool refuse(const QString& text, const char* expected);

    std::unique_ptr<Ui::XMLCtrl> ui;
    void* m_hCamera = nullptr;
    TreeModel* m_model = nullptr;
    QSortFilterProxyModel* m_filter = nullptr; // between the model and the view
    QString m_nodeName;
    int m_nodeType = -1;
    bool m_editable = false; // the current node's editor may be enabled
    CameraSession* m_session;
};

#endif // XMLCTRL_H
