// TWsCustomArrangePanel: background, hot-track fill, bevels or flat border, caption and sizing grip.
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "widgets/WsPanel.h"
#include "widgets/WsThemes.h"

namespace qmz {

namespace {

// A frame of `width` pixels: top and left in one colour, bottom and right in the other; rect shrinks inside it.
void Frame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight, int width) {
  for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    rect.adjust(1, 1, -1, -1);
  }
}

}  // namespace

int TWsCustomArrangePanel::BevelInset() const {
  int inset = 0;
  if (bevelOuter_ != TBevelCut::bvNone) inset += bevelWidth_;
  if (bevelInner_ != TBevelCut::bvNone) inset += bevelWidth_;
  return inset;
}

void TWsCustomArrangePanel::paintEvent(QPaintEvent*) {
  if (OnPaint) {
    OnPaint(this);
    return;
  }
  QPainter painter(this);
  if (Hot()) {
    if (hotTrackOptions_.Enabled()) {
      const QColor fill = ToQColor(hotTrackOptions_.Color(), palette());
      if (hotTrackOptions_.FrameVisible()) {
        painter.setPen(ToQColor(hotTrackOptions_.FrameColor(), palette()));
        painter.setBrush(fill);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
      } else {
        painter.fillRect(rect().adjusted(bevelWidth_, bevelWidth_, -bevelWidth_, -bevelWidth_), fill);
      }
    }
  } else {
    if (!(transparent_ && !ThemeServicesEnabled())) {
      DrawThemedBackground(this, painter, rect(), Color(), true);
    }
    if (!flatBorder_) {
      DrawBevels(painter);
    } else if (borderWidth_ > 0) {
      DrawFlatBorder(painter);
    }
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::NoBrush);
  DrawCaption(painter);
  if (sizeable_) DrawGrip(painter);
}

// A pen of BorderWidth w around the client rectangle moved inward by w div 2 on the left and top and by
// w div 2 less one (even w) or w div 2 (odd w) on the right and bottom covers exactly the outer w pixels of
// every side: four bands of w along the panel's edges.
void TWsCustomArrangePanel::DrawFlatBorder(QPainter& painter) {
  const int w = borderWidth_;
  const QColor colour = ToQColor(flatBorderColor_, palette());
  painter.fillRect(QRect(0, 0, width(), w), colour);
  painter.fillRect(QRect(0, height() - w, width(), w), colour);
  painter.fillRect(QRect(0, 0, w, height()), colour);
  painter.fillRect(QRect(width() - w, 0, w, height()), colour);
}

void TWsCustomArrangePanel::DrawBevels(QPainter& painter) {
  const QColor shadow = ToQColor(colors::BtnShadow, palette());
  const QColor highlight = ToQColor(colors::BtnHighlight, palette());
  QRect r = rect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    const bool lowered = cut == TBevelCut::bvLowered;
    Frame3D(painter, r, lowered ? shadow : highlight, lowered ? highlight : shadow, bevelWidth_);
  };
  bevel(bevelOuter_);
  const QColor own = ToQColor(Color(), palette());
  Frame3D(painter, r, own, own, borderWidth_);
  bevel(bevelInner_);
}

void TWsCustomArrangePanel::DrawCaption(QPainter& painter) { DrawCaptionOn(painter); }

void TWsCustomArrangePanel::DrawCaptionOn(QPainter& painter) {
  if (caption_.isEmpty()) return;
  const bool hotFont = (MouseOver() || sizing_) && hotTrack_;
  const WsFont f = hotFont ? hotTrackFont_ : Font();
  const int inset = borderWidth_ + BevelInset();
  QRect r = rect().adjusted(inset, inset, -inset, -inset);
  int flags = Qt::TextExpandTabs | Qt::AlignVCenter | (multiLine_ ? Qt::TextWordWrap : Qt::TextSingleLine);
  switch (alignment_) {
    case TAlignment::taLeftJustify:
      flags |= Qt::AlignLeft;
      break;
    case TAlignment::taRightJustify:
      flags |= Qt::AlignRight;
      break;
    case TAlignment::taCenter:
      flags |= Qt::AlignHCenter;
      break;
  }
  if (layoutDirection() == Qt::RightToLeft) flags |= Qt::AlignAbsolute;
  painter.save();
  painter.setFont(f.font);
  painter.setPen(isEnabled() ? ToQColor(f.color, palette()) : ToQColor(colors::GrayText, palette()));
  painter.drawText(r, flags, caption_);
  painter.restore();
}

void TWsCustomArrangePanel::DrawGrip(QPainter& painter) {
  const int g = bevelWidth_ + 2;
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const QRect grip(QPoint(width() - bar - g, height() - bar - g), QPoint(width() - g - 1, height() - g - 1));
  if (ThemeServicesEnabled()) {
    // Styles may draw their grip beyond the rectangle they are given, as a size-grip widget's own bounds
    // would cut it; here those are the grip's.
    QStyleOptionSizeGrip option;
    option.initFrom(this);
    option.rect = grip;
    option.corner = Qt::BottomRightCorner;
    painter.save();
    painter.setClipRect(grip, Qt::IntersectClip);
    style()->drawControl(QStyle::CE_SizeGrip, &option, &painter, this);
    painter.restore();
    return;
  }
  // The classic grip: diagonal highlight and shadow strokes toward the corner.
  painter.save();
  const QColor highlight = ToQColor(colors::BtnHighlight, palette());
  const QColor shadow = ToQColor(colors::BtnShadow, palette());
  for (int offset = 3; offset < grip.width(); offset += 4) {
    painter.setPen(highlight);
    painter.drawLine(grip.right() - offset, grip.bottom(), grip.right(), grip.bottom() - offset);
    painter.setPen(shadow);
    painter.drawLine(grip.right() - offset + 1, grip.bottom(), grip.right(), grip.bottom() - offset + 1);
  }
  painter.restore();
}

}  // namespace qmz
