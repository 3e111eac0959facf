#include "motiondesk/plot/plot_window.h"

#include "motiondesk/ui/colours.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/widgets.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace plot {

namespace {

constexpr int kFrameMs = 33; // at most 30 pictures a second

// Trace colours that tell the traces apart; brighter on a dark palette.
QColor traceColour(int index, bool dark) {
    static const QColor light[] = {{31, 119, 180},  {214, 39, 40},  {44, 160, 44},
                                   {148, 103, 189}, {255, 127, 14}, {140, 86, 75},
                                   {23, 190, 207},  {188, 189, 34}, {227, 119, 194},
                                   {127, 127, 127}, {0, 90, 60},    {120, 30, 90}};
    const QColor colour = light[index % int(std::size(light))];
    return dark ? colour.lighter(140) : colour;
}

// A chart view whose mouse reads, zooms and pans the time axis.
class TimeChartView final : public QChartView {
public:
    explicit TimeChartView(QChart* chart) : QChartView(chart) {
        setRenderHint(QPainter::Antialiasing, false);
        setMouseTracking(true);
    }
    std::function<void(double)> hovered;
    std::function<void(double, double)> zoomed; // factor, at seconds
    std::function<void(double)> panned;         // by seconds
    std::function<void()> reset;

    double secondsAt(const QPoint& position) const { return chart()->mapToValue(position).x(); }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        if (dragging_ && panned) {
            const double before = secondsAt(lastPosition_);
            const double now = secondsAt(event->position().toPoint());
            panned(before - now);
            lastPosition_ = event->position().toPoint();
        }
        if (hovered) hovered(secondsAt(event->position().toPoint()));
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        dragging_ = true;
        lastPosition_ = event->position().toPoint();
    }
    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }
    void mouseDoubleClickEvent(QMouseEvent*) override {
        if (reset) reset();
    }
    void wheelEvent(QWheelEvent* event) override {
        if (!zoomed) return;
        const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
        zoomed(factor, secondsAt(event->position().toPoint()));
    }

private:
    bool dragging_ = false;
    QPoint lastPosition_;
};

std::size_t lampRow(std::size_t column) {
    std::size_t row = 0;
    for (std::size_t i = 0; i < column; ++i)
        if (kColumns[i].kind == ColumnKind::Lamp) ++row;
    return row;
}

} // namespace

// The two charts: the values above, the lamps below, sharing the time axis range.
class PlotCharts {
public:
    PlotCharts() {
        values = new QChart;
        lamps = new QChart;
        for (QChart* chart : {values, lamps}) {
            chart->setMargins(QMargins(4, 4, 4, 4));
            chart->setAnimationOptions(QChart::NoAnimation);
        }
        valueTime = new QValueAxis;
        valueTime->setTitleText("s");
        valueAxis = new QValueAxis;
        valueAxis->setTitleText("pulses, pulses/s");
        valueAxis->setLabelFormat("%.0f");
        values->addAxis(valueTime, Qt::AlignBottom);
        values->addAxis(valueAxis, Qt::AlignLeft);
        lampTime = new QValueAxis;
        lampAxis = new QCategoryAxis;
        lampAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
        lamps->addAxis(lampTime, Qt::AlignBottom);
        lamps->addAxis(lampAxis, Qt::AlignLeft);
        lamps->legend()->hide();
        int colour = 0;
        std::size_t rows = 0;
        for (std::size_t i = 0; i < kColumnCount; ++i) {
            if (kColumns[i].kind == ColumnKind::Recorded) continue;
            const bool lamp = kColumns[i].kind == ColumnKind::Lamp;
            QChart* chart = lamp ? lamps : values;
            auto* series = new QLineSeries;
            series->setName(kColumns[i].caption);
            series->setObjectName(kColumns[i].name);
            chart->addSeries(series);
            series->attachAxis(lamp ? lampTime : valueTime);
            series->attachAxis(lamp ? static_cast<QAbstractAxis*>(lampAxis) : valueAxis);
            columnSeries[i].push_back(series);
            colourIndex[i] = colour++;
            if (lamp) lampAxis->append(kColumns[i].caption, double(++rows));
        }
        lampAxis->setRange(0, double(rows));
        // Twelve names down the side: a size smaller than the window's text, so each shows.
        QFont small = lampAxis->labelsFont();
        small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
        lampAxis->setLabelsFont(small);
        lampAxis->setGridLineVisible(false);
        cursor = new QLineSeries;
        cursor->setObjectName("cursor");
        values->addSeries(cursor);
        cursor->attachAxis(valueTime);
        cursor->attachAxis(valueAxis);
        for (QLegendMarker* marker : values->legend()->markers(cursor))
            marker->setVisible(false);
        valueView = new TimeChartView(values);
        valueView->setObjectName("ValueChart");
        lampView = new TimeChartView(lamps);
        lampView->setObjectName("LampChart");
    }

    // Enough series for the runs of a trace: a gap starts a new one (its legend marker hidden).
    std::vector<QLineSeries*>& seriesFor(std::vector<QLineSeries*>& list, QChart* chart,
                                         std::size_t count, const QString& name, bool lamp) {
        while (list.size() < count) {
            auto* series = new QLineSeries;
            series->setName(name);
            chart->addSeries(series);
            series->attachAxis(lamp ? lampTime : valueTime);
            series->attachAxis(lamp ? static_cast<QAbstractAxis*>(lampAxis) : valueAxis);
            if (!list.empty()) {
                series->setPen(list.front()->pen());
                for (QLegendMarker* marker : chart->legend()->markers(series))
                    marker->setVisible(false);
            }
            list.push_back(series);
            seriesAdded = true;
        }
        return list;
    }

    void colour(const QPalette& palette) {
        const bool dark = ui::isDark(palette);
        for (QChart* chart : {values, lamps}) {
            chart->setBackgroundBrush(palette.color(QPalette::Base));
            chart->setPlotAreaBackgroundVisible(false);
            chart->legend()->setLabelColor(palette.color(QPalette::Text));
            for (QAbstractAxis* axis : chart->axes()) {
                axis->setLabelsColor(palette.color(QPalette::Text));
                axis->setTitleBrush(palette.color(QPalette::Text));
                axis->setGridLineColor(palette.color(QPalette::Mid));
                axis->setLinePenColor(palette.color(QPalette::Mid));
            }
        }
        for (std::size_t i = 0; i < kColumnCount; ++i)
            for (QLineSeries* series : columnSeries[i]) {
                // A cosmetic pen of one pixel is drawn without stroking: ten minutes of a trace
                // cost a fraction of a millisecond.
                QPen pen(traceColour(colourIndex[i], dark));
                pen.setWidth(1);
                pen.setCosmetic(true);
                series->setPen(pen);
            }
        for (auto& [number, list] : variableSeries)
            for (QLineSeries* series : list) {
                QPen pen(traceColour(int(kColumnCount) + number, dark));
                pen.setWidth(1);
                pen.setCosmetic(true);
                pen.setStyle(Qt::DashLine);
                series->setPen(pen);
            }
        QPen cursorPen(palette.color(QPalette::Text));
        cursorPen.setStyle(Qt::DotLine);
        cursor->setPen(cursorPen);
    }

    QChart* values;
    QChart* lamps;
    QValueAxis* valueTime;
    QValueAxis* valueAxis;
    QValueAxis* lampTime;
    QCategoryAxis* lampAxis;
    QLineSeries* cursor;
    TimeChartView* valueView;
    TimeChartView* lampView;
    std::array<std::vector<QLineSeries*>, kColumnCount> columnSeries;
    std::array<int, kColumnCount> colourIndex{};
    std::map<int, std::vector<QLineSeries*>> variableSeries;
    double cursorSeconds = -1;
    bool seriesAdded = true; // a series without its colours yet
};

PlotWindow::PlotWindow(ui::UserInterface& ui, QWidget* parent)
    : QDialog(parent), ui_(ui), charts_(std::make_unique<PlotCharts>()),
      timeWindow_(new QComboBox(this)), readout_(new QLabel(this)), frames_(new QTimer(this)) {
    setObjectName("MotionPlot");
    setWindowTitle("Motion Plot");
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    auto* traces = new QGridLayout;
    int column = 0;
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (kColumns[i].kind != ColumnKind::Value) continue;
        auto* box = new QCheckBox(kColumns[i].caption, this);
        box->setObjectName(QString("Show_") + kColumns[i].name);
        box->setChecked(i == columnIndex("position") || i == columnIndex("encoder"));
        connect(box, &QCheckBox::toggled, this, [this] {
            dirty_ = true;
            redraw();
        });
        shown_[i] = box;
        traces->addWidget(box, 0, column++);
    }
    timeWindow_->setObjectName("TimeWindow");
    timeWindow_->addItems({"10 s", "1 min", "10 min"});
    connect(timeWindow_, &QComboBox::currentIndexChanged, this, [this] { followLive(); });
    pause_ = ui::button("PausePlot", "Pause", this);
    pause_->setCheckable(true);
    pause_->setToolTip("Freeze the picture; the history and a recording go on");
    connect(pause_, &QPushButton::toggled, this, [this](bool paused) {
        pause_->setText(paused ? "Resume" : "Pause");
        if (paused)
            following_ = false;
        else
            followLive();
    });
    record_ = ui::button("RecordPlot", "Record", this);
    record_->setCheckable(true);
    record_->setToolTip("Write every poll cycle to a CSV file");
    connect(record_, &QPushButton::clicked, this, [this](bool on) { toggleRecording(on); });
    auto* image = ui::button("SaveImage", "Save image", this);
    connect(image, &QPushButton::clicked, this, [this] { saveImage(); });
    auto* close = ui::button("Close", "Close", this);
    connect(close, &QPushButton::clicked, this, [this] { reject(); });

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel("Time window", this));
    controls->addWidget(timeWindow_);
    controls->addWidget(pause_);
    controls->addStretch();
    controls->addWidget(record_);
    controls->addWidget(image);
    controls->addWidget(close);

    readout_->setObjectName("CursorReadout");
    readout_->setWordWrap(true);
    readout_->setText("Move the mouse over the traces to read their values; the wheel zooms, "
                      "dragging pans, a double click follows the poll again.");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(traces);
    layout->addWidget(charts_->valueView, 3);
    layout->addWidget(charts_->lampView, 3);
    charts_->lampView->setMinimumHeight(fontMetrics().height() * 16);
    layout->addWidget(readout_);
    layout->addLayout(controls);
    resize(900, 720);

    charts_->valueView->hovered = [this](double s) { showCursor(s); };
    charts_->lampView->hovered = [this](double s) { showCursor(s); };
    for (TimeChartView* view : {charts_->valueView, charts_->lampView}) {
        view->zoomed = [this](double f, double at) { zoom(f, at); };
        view->panned = [this](double by) { pan(by); };
        view->reset = [this] { followLive(); };
    }
    charts_->colour(palette());
    frames_->setInterval(kFrameMs);
    connect(frames_, &QTimer::timeout, this, [this] { frameTick(); });
    frames_->start();
    redraw();
}

PlotWindow::~PlotWindow() {
    recording_.stop();
}

double PlotWindow::span() const {
    static constexpr double kSpans[] = {10, 60, 600};
    return kSpans[std::clamp(timeWindow_->currentIndex(), 0, 2)];
}

void PlotWindow::addSample(const Sample& sample) {
    history_.add(sample);
    if (recording_.active()) {
        std::vector<std::optional<double>> values;
        for (int number : variables_)
            values.push_back(history_.variableAt(number, double(sample.ms) / 1000.0));
        if (!recording_.add(sample, values)) {
            record_->setChecked(false);
            ui_.showMessage(recording_.failure());
        }
    }
    dirty_ = true;
}

void PlotWindow::addGap() {
    history_.addGap();
    dirty_ = true;
}

void PlotWindow::setVariables(std::vector<int> numbers) {
    if (numbers.size() > 8) numbers.resize(8);
    variables_ = std::move(numbers);
    dirty_ = true;
}

void PlotWindow::addVariable(int number, long long ms, double value) {
    history_.addVariable(number, ms, value);
    dirty_ = true;
}

void PlotWindow::followLive() {
    following_ = !pause_->isChecked();
    if (!following_) {
        const double latest = double(history_.latestMs()) / 1000.0;
        to_ = std::max(latest, span());
        from_ = to_ - span();
    }
    dirty_ = true;
    redraw();
}

std::pair<double, double> PlotWindow::shownRange() const {
    return {from_, to_};
}

// While following, a frame is drawn once the newest samples reach the next pixel column: over ten
// minutes that is twice a second, over ten seconds every frame.
void PlotWindow::frameTick() {
    if (!dirty_) return;
    const double secondsPerPixel = span() / std::max(1, charts_->valueView->width());
    const double latest = double(history_.latestMs()) / 1000.0;
    if (following_ && cursorMoved_ == false && latest - drawnLatest_ < secondsPerPixel) return;
    redraw();
}

void PlotWindow::redraw() {
    dirty_ = false;
    cursorMoved_ = false;
    drawnLatest_ = double(history_.latestMs()) / 1000.0;
    if (following_) {
        const double latest = double(history_.latestMs()) / 1000.0;
        to_ = std::max(latest, span());
        from_ = to_ - span();
    }
    // The lowest and the highest point of every four pixel columns: a line joins them, so what
    // falls between is drawn, and a long trace does not cost a point per sample.
    const auto buckets = std::size_t(std::max(100, charts_->valueView->width() / 4));
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (kColumns[i].kind == ColumnKind::Recorded) continue;
        const bool lamp = kColumns[i].kind == ColumnKind::Lamp;
        const bool visible = lamp || (shown_[i] && shown_[i]->isChecked());
        Segments segments = visible ? history_.column(i, from_, to_, buckets) : Segments{};
        auto& list = charts_->seriesFor(
            charts_->columnSeries[i], lamp ? charts_->lamps : charts_->values,
            std::max<std::size_t>(1, segments.size()), kColumns[i].caption, lamp);
        const double offset = lamp ? double(lampRow(i)) + 0.15 : 0;
        const double scale = lamp ? 0.7 : 1;
        for (std::size_t s = 0; s < list.size(); ++s) {
            QList<QPointF> points;
            if (s < segments.size())
                for (const Point& p : segments[s])
                    points.append({p.seconds, offset + scale * p.value});
            list[s]->replace(points);
        }
        list.front()->setVisible(visible);
        for (QLegendMarker* marker : charts_->values->legend()->markers(list.front()))
            marker->setVisible(visible);
    }
    for (int number : variables_) {
        Segments segments = history_.variable(number, from_, to_, buckets);
        auto& list = charts_->seriesFor(charts_->variableSeries[number], charts_->values,
                                        std::max<std::size_t>(1, segments.size()),
                                        "V" + QString::number(number), false);
        for (std::size_t s = 0; s < list.size(); ++s) {
            QList<QPointF> points;
            if (s < segments.size())
                for (const Point& p : segments[s])
                    points.append({p.seconds, p.value});
            list[s]->replace(points);
        }
    }
    // Variables no longer picked are emptied.
    for (auto& [number, list] : charts_->variableSeries)
        if (std::find(variables_.begin(), variables_.end(), number) == variables_.end())
            for (QLineSeries* series : list)
                series->clear();
    if (charts_->seriesAdded) {
        charts_->colour(palette());
        charts_->seriesAdded = false;
    }

    // The value axis fits what is shown.
    double low = 0, high = 0;
    bool any = false;
    for (QAbstractSeries* abstract : charts_->values->series()) {
        auto* series = static_cast<QLineSeries*>(abstract);
        if (series == charts_->cursor || !series->isVisible()) continue;
        for (const QPointF& p : series->points()) {
            low = any ? std::min(low, p.y()) : p.y();
            high = any ? std::max(high, p.y()) : p.y();
            any = true;
        }
    }
    if (!any || high - low < 1) {
        low -= 1;
        high += 1;
    }
    // The axis keeps its range while what is shown fills most of it: new labels on every frame
    // would cost more than the traces.
    const double shownLow = charts_->valueAxis->min(), shownHigh = charts_->valueAxis->max();
    const bool fits =
        low >= shownLow && high <= shownHigh && (high - low) >= 0.5 * (shownHigh - shownLow);
    const double margin = fits ? 0 : (high - low) * 0.1;
    if (!fits) charts_->valueAxis->setRange(low - margin, high + margin);
    low = charts_->valueAxis->min();
    high = charts_->valueAxis->max();
    charts_->valueTime->setRange(from_, to_);
    charts_->lampTime->setRange(from_, to_);
    if (charts_->cursorSeconds >= from_ && charts_->cursorSeconds <= to_)
        charts_->cursor->replace({{charts_->cursorSeconds, low}, {charts_->cursorSeconds, high}});
    else
        charts_->cursor->clear();
}

std::vector<std::vector<Point>> PlotWindow::shownPoints(const char* column) const {
    std::vector<std::vector<Point>> runs;
    const std::size_t index = columnIndex(column);
    if (index >= kColumnCount) return runs;
    const bool lamp = kColumns[index].kind == ColumnKind::Lamp;
    for (QLineSeries* series : charts_->columnSeries[index]) {
        if (!series->isVisible() || series->count() == 0) continue;
        std::vector<Point> run;
        for (const QPointF& p : series->points())
            run.push_back({p.x(), lamp ? (p.y() - double(lampRow(index)) - 0.15) / 0.7 : p.y()});
        runs.push_back(std::move(run));
    }
    return runs;
}

std::vector<std::vector<Point>> PlotWindow::shownVariable(int number) const {
    std::vector<std::vector<Point>> runs;
    const auto found = charts_->variableSeries.find(number);
    if (found == charts_->variableSeries.end()) return runs;
    for (QLineSeries* series : found->second) {
        if (series->count() == 0) continue;
        std::vector<Point> run;
        for (const QPointF& p : series->points())
            run.push_back({p.x(), p.y()});
        runs.push_back(std::move(run));
    }
    return runs;
}

QString PlotWindow::readingAt(double seconds) const {
    const auto sample = history_.at(seconds);
    QString text = QString("%1 s: ").arg(seconds, 0, 'f', 2);
    if (!sample) return text + "no value read";
    QStringList parts;
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (kColumns[i].kind == ColumnKind::Recorded) continue;
        parts << QString("%1 %2").arg(kColumns[i].caption,
                                      QString::fromStdString(csvNumber(sample->values[i])));
    }
    for (int number : variables_)
        if (const auto value = history_.variableAt(number, seconds))
            parts << QString("V%1 %2").arg(number).arg(QString::fromStdString(csvNumber(*value)));
    return text + parts.join(", ");
}

void PlotWindow::showCursor(double seconds) {
    charts_->cursorSeconds = seconds;
    cursorMoved_ = true;
    readout_->setText(readingAt(seconds));
    dirty_ = true;
}

void PlotWindow::zoom(double factor, double atSeconds) {
    following_ = false;
    const double width = std::clamp((to_ - from_) * factor, 0.1, double(History::kKeepMs) / 1000.0);
    const double share = (to_ - from_) > 0 ? (atSeconds - from_) / (to_ - from_) : 0.5;
    from_ = atSeconds - width * std::clamp(share, 0.0, 1.0);
    to_ = from_ + width;
    dirty_ = true;
}

void PlotWindow::pan(double seconds) {
    following_ = false;
    from_ += seconds;
    to_ += seconds;
    dirty_ = true;
}

void PlotWindow::toggleRecording(bool on) {
    if (!on) {
        if (const auto failure = recording_.stop()) ui_.showMessage(*failure);
        return;
    }
    const auto name =
        ui_.saveFileName({"Record the Poll", "CSV Files (*.csv)|*.csv", std::string()});
    if (!name || name->empty()) {
        record_->setChecked(false);
        return;
    }
    if (const auto failure = record(*name)) ui_.showMessage(*failure);
}

std::optional<std::string> PlotWindow::record(const std::string& path) {
    auto failure = recording_.start(path, variables_);
    record_->setChecked(!failure);
    return failure;
}

void PlotWindow::setTimeWindow(int index) {
    timeWindow_->setCurrentIndex(index);
}

void PlotWindow::saveImage() {
    const auto name =
        ui_.saveFileName({"Save the Plot", "PNG Images (*.png)|*.png", std::string()});
    if (!name || name->empty()) return;
    redraw();
    QPixmap picture(size());
    render(&picture);
    if (!picture.save(QString::fromStdString(*name), "PNG"))
        ui_.showMessage("File " + *name + " could not be saved.");
}

void PlotWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) charts_->colour(palette());
}

void PlotWindow::done(int result) {
    if (const auto failure = recording_.stop()) ui_.showMessage(*failure);
    record_->setChecked(false);
    QDialog::done(result);
}

} // namespace plot
