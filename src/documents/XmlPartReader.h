#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

class ExtractionProgress;

// A QXmlStreamReader over one XML part of a document that refuses what a document's text never
// needs and an attacker uses: a document type declaring entities (whose expansion can grow
// without bound or reach outside the file). next() throws PlatformError at such a declaration
// and at any error of well-formedness, and looks at the progress now and then so that reading
// can be cancelled.
class XmlPartReader {
public:
    XmlPartReader(const QByteArray& part, ExtractionProgress& progress);

    // The next token; false at the end of the document.
    bool next();
    QXmlStreamReader& xml() { return m_xml; }
    // Names are a namespace and a local name, whatever prefix the document gives the namespace.
    QString attribute(QStringView space, QStringView name) const;
    bool isStart(QStringView space, QStringView name) const;
    bool isEnd(QStringView space, QStringView name) const;

private:
    QXmlStreamReader m_xml;
    ExtractionProgress& m_progress;
    int m_count = 0;
};
