#pragma once
// Plays an editor display list (editor/EditDisplayList.h) on a painter: each
// fill as a rectangle, each text run as its background and then its
// characters in the run's colour, one cell per character.

class CEditDisplayList;
class QFont;
class QPainter;

void PlayDisplayList(QPainter& painter, const CEditDisplayList& list, const QFont& font);
