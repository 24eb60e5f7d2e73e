#pragma once

#include <QPixmap>
#include <QSize>

// The setup assistant's background picture: a pale wash with faint key caps and a pointer
// trail along the lower edge, light enough that dark text stays legible anywhere on it.
QPixmap DrawAssistantBackground(QSize size);
