#pragma once

#include "DocumentText.h"
#include "ExtractionProgress.h"
#include "XmlPartReader.h"
#include "ZipArchive.h"

#include <QString>

// The text of a document whose body is one XML part of a zip archive (an OpenDocument text's
// content.xml, a Word document's word/document.xml), read by Body: a class constructed from the
// XmlPartReader and the DocumentText, whose read() adds the part's text. One step of progress.
template <class Body> QString readZippedXmlPart(const QString& path, const QString& part, ExtractionProgress& progress)
{
    ZipArchive archive(path);
    const QByteArray bytes = archive.read(part);
    progress.step(0, 1);
    XmlPartReader xml(bytes, progress);
    DocumentText out;
    Body(xml, out).read();
    progress.step(1, 1);
    return out.take();
}
