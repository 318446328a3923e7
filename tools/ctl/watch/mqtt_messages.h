#pragma once
// What the MQTT output says, apart from the connection that carries it: Home Assistant's
// discovery records, each address's state and the availability topics.
//
// Topics carry the port in a safe form ("COM 7" -> "com7"): MQTT gives '+', '#' and '/' a meaning
// in topics, and Home Assistant takes only letters, digits, '_' and '-' in a node id.

#include <QByteArray>
#include <QString>
#include <vector>

#include "tools/ctl/watch/reading.h"

namespace pelta::watch {

struct MqttMessage {
    QString topic;
    QByteArray payload;
    bool retain = true;
};

// Lower-case letters and digits kept, blanks dropped, every other run of characters one '_'.
QString TopicSafePort(const QString& port);

// "online" while the publisher is connected, "offline" (its last will) when it is gone.
QString PublisherAvailabilityTopic(const QString& port);
// "online" while the address answers, "offline" while it does not.
QString AddressAvailabilityTopic(const QString& port, int address);
QString StateTopic(const QString& port, int address);

// The four sensors of one controller, to be published retained.
std::vector<MqttMessage> DiscoveryMessages(const QString& port, int address);
// The address's availability and its readings as one JSON object (the reason when it has none).
std::vector<MqttMessage> StateMessages(const Reading& reading);

}  // namespace pelta::watch
