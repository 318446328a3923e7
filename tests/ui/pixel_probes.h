#pragma once
// Expected pixels written compactly: "S3,5 W2,6" is ink 'S' at (3, 5) and ink 'W' at (2, 6).

#include <gtest/gtest.h>

#include <QHash>
#include <QImage>

inline void ExpectProbes(const QImage& image, const char* probes,
                         const QHash<QChar, QColor>& inks) {
    for (const QString& probe : QString::fromLatin1(probes).split(' ')) {
        const QStringList xy = probe.mid(1).split(',');
        ASSERT_TRUE(inks.contains(probe[0])) << probe.toStdString();
        EXPECT_EQ(image.pixelColor(xy[0].toInt(), xy[1].toInt()).name().toStdString(),
                  inks[probe[0]].name().toStdString())
            << probe.toStdString();
    }
}
