#pragma once

#include "core/upload/CUploadDevice.h"
#include "core/upload/CUploadSummary.h"

#include <QString>
#include <memory>
#include <pugixml.hpp>
#include <vector>

// What a replacement gives the new device: the old one's settings, taken from a snapshot
// (a map file) or a project that holds it, as a project of that one device for the
// uploads. Only what a user may set goes in (the schema's EDIT and COMBO settings, and
// TYPE, which the upload checks): the new unit's serial number, hardware address and
// versions are its own and never differ "wrongly".
class CReplacementProject {
public:
    // The bus device with that UID in file; nothing, and why, when file holds none.
    static std::unique_ptr<CReplacementProject> busDevice(const pugi::xml_document& file, int uid,
                                                          const pugi::xml_document& schema,
                                                          QString& reason);
    // The gateway at that address (dotted) in file.
    static std::unique_ptr<CReplacementProject> gateway(const pugi::xml_document& file,
                                                        const QByteArray& address,
                                                        const pugi::xml_document& schema,
                                                        QString& reason);

    const pugi::xml_document& project() const { return m_project; }
    const CUploadDevice& device() const { return m_device; }
    // What an upload may send at most, as a preview: the device's settings compared with a
    // device that holds none of its values, so every one that can go out reads "to send",
    // with its command, and the others why not.
    CUploadSummary preview(const pugi::xml_document& schema) const;

private:
    static std::unique_ptr<CReplacementProject> build(const pugi::xml_node& element,
                                                      CUploadDevice::Kind kind,
                                                      const pugi::xml_document& schema,
                                                      QString& reason);

    pugi::xml_document m_project;
    CUploadDevice m_device;
};
