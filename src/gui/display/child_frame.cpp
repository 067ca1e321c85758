// The child window of a document: view, status bar with five panes, cursor and activation.
#include "display/child_frame.h"

#include "display/readouts.h"
#include "render/waveform_picture.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace sonarium {

CChildFrame::CChildFrame(std::shared_ptr<CSonariumDoc> document, ViewHost& host, QWidget* parent)
    : QMdiSubWindow(parent), document_(std::move(document)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(document_->GetTitle());

    auto* client = new QWidget;
    view_ = new CSonariumView(*document_, host, client);
    statusBar_ = new QStatusBar(client);
    statusBar_->setSizeGripEnabled(false);
    // The panes keep the widths their initial texts give them, side by side; a window too narrow
    // for all five cuts the last ones off rather than squeezing them over each other.
    strip_ = new QWidget(statusBar_);
    int x = 0;
    int height = 0;
    for (int i = 0; i < kPaneCount; ++i) {
        auto* pane = new QLabel(QString::fromLatin1(kInitialReadouts[i]), strip_);
        pane->setObjectName(QStringLiteral("pane%1").arg(i));
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Each pane is as wide as the widest text it shows ("Stereo" is wider than "Mono").
        QSize size = pane->sizeHint();
        if (i == kChannelsPane)
            for (int channels : {1, 2}) {
                pane->setText(QString::fromStdString(channelsReadout(channels)));
                size = size.expandedTo(pane->sizeHint());
            }
        pane->setText(QString::fromLatin1(kInitialReadouts[i]));
        pane->setGeometry(x, 0, size.width(), size.height());
        x += size.width() + 2;
        height = std::max(height, size.height());
        panes_[static_cast<std::size_t>(i)] = pane;
    }
    panesWidth_ = x - 2;
    strip_->setFixedHeight(height);
    statusBar_->addWidget(strip_, 1);
    selectionLine_ = new QLabel(client);
    selectionLine_->setObjectName(QStringLiteral("selectionLine"));
    selectionLine_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    selectionLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(selectionLine_);
    layout->addWidget(statusBar_);
    client->setFocusProxy(view_);
    client->setCursor(waveformCursor());
    setWidget(client);

    resize(openingSize_);

    connect(view_, &CSonariumView::readoutsChanged, this, &CChildFrame::updateReadouts);
    // Tied to the view, so that the state changes of the window's own destruction reach nobody.
    connect(this, &QMdiSubWindow::windowStateChanged, view_,
            [view = view_](Qt::WindowStates before, Qt::WindowStates now) {
                if ((before ^ now) & Qt::WindowActive)
                    view->OnActivateView((now & Qt::WindowActive) != 0);
            });
}

CChildFrame::~CChildFrame() {
    // The view refers to the document, which goes with this object's members: take the view
    // out and delete it first.
    QWidget* client = widget();
    setWidget(nullptr);
    delete client;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    QMdiSubWindow::closeEvent(event);
    // The numbers of the file's other windows close up.
    if (event->isAccepted() && mdiArea() != nullptr)
        titleDocumentWindows(*mdiArea(), *document_, this);
}

void CChildFrame::fitStatusPanes() {
    // Shown, the window has laid its status bar out: it widens by what the strip lacks.
    for (QLayout* each : {layout(), widget()->layout(), statusBar_->layout()})
        if (each != nullptr)
            each->activate();
    const int missing = panesWidth_ - strip_->width();
    const int lower = kPictureHeight - view_->waveArea().height();
    if (missing > 0 || lower != 0) {
        openingSize_ = QSize(width() + std::max(missing, 0), height() + lower);
        resize(openingSize_);
    }
}

QString CChildFrame::paneText(Pane pane) const {
    return panes_[static_cast<std::size_t>(pane)]->text();
}

void CChildFrame::updateReadouts() {
    panes_[kLengthPane]->setText(view_->lengthText());
    panes_[kPositionPane]->setText(view_->positionText());
    panes_[kScalePane]->setText(view_->scaleText());
    if (const QString channels = view_->channelsText(); !channels.isEmpty())
        panes_[kChannelsPane]->setText(channels);
    panes_[kRatePane]->setText(view_->rateText());
    selectionLine_->setText(view_->selectionText());
}

QString CChildFrame::selectionText() const {
    return selectionLine_->text();
}

QCursor waveformCursor() {
    // A thin vertical beam with a notch at its centre: the hot spot marks one column exactly.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawLine(16, 3, 16, 28);
    painter.drawLine(11, 16, 21, 16);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(16, 3, 16, 28);
    painter.drawLine(12, 16, 20, 16);
    painter.drawLine(13, 3, 19, 3);
    painter.drawLine(13, 28, 19, 28);
    painter.end();
    return QCursor(pixmap, 16, 16);
}

CChildFrame* openWaveWindow(QMdiArea& area, ViewHost& host, const QString& path) {
    auto document = std::make_shared<CSonariumDoc>();
    if (!document->OnOpenDocument(path, host.reporter(), &area))
        return nullptr;
    auto* frame = new CChildFrame(std::move(document), host);
    area.addSubWindow(frame);
    frame->resize(frame->openingSize());
    frame->view()->OnInitialUpdate();
    frame->show();
    frame->fitStatusPanes();
    return frame;
}

CChildFrame* duplicateWaveWindow(QMdiArea& area, ViewHost& host, const CChildFrame& original) {
    auto* frame = new CChildFrame(original.sharedDocument(), host);
    area.addSubWindow(frame);
    frame->resize(frame->openingSize());
    frame->view()->OnInitialUpdate();
    frame->show();
    frame->fitStatusPanes();
    titleDocumentWindows(area, frame->document());
    return frame;
}

void titleDocumentWindows(QMdiArea& area, const CSonariumDoc& document,
                          const CChildFrame* leaving) {
    QList<CChildFrame*> windows;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder))
        if (auto* child = qobject_cast<CChildFrame*>(window);
            child && child != leaving && &child->document() == &document)
            windows << child;
    for (qsizetype i = 0; i < windows.size(); ++i)
        windows[i]->setWindowTitle(
            windows.size() == 1 ? document.GetTitle()
                                : QStringLiteral("%1:%2").arg(document.GetTitle()).arg(i + 1));
}

} // namespace sonarium
