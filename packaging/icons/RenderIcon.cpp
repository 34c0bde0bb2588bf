// Renders Kestrel's icon (an SVG) into PNG files of the given square sizes, for the desktop's
// icon theme: RenderIcon ICON.svg OUTDIR SIZE... writes OUTDIR/kestrel-SIZE.png.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: RenderIcon ICON.svg OUTDIR SIZE...\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid()) {
    std::fprintf(stderr, "RenderIcon: cannot read %s\n", argv[1]);
    return 1;
  }
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0) return 2;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    painter.end();
    const QString out = QString("%1/kestrel-%2.png").arg(QString::fromLocal8Bit(argv[2])).arg(size);
    if (!image.save(out)) {
      std::fprintf(stderr, "RenderIcon: cannot write %s\n", qPrintable(out));
      return 1;
    }
  }
  return 0;
}
