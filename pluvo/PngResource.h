// LoadPngResource: a picture compiled into pluvo as a "PNG" resource, by its number. Any thread.
#pragma once

#include <QImage>

// The picture, or a null image when pluvo has no such resource or it cannot be read.
QImage LoadPngResource(int id);
