#include "core/upload/CUploadCounts.h"

CUploadCounts& CUploadCounts::operator+=(const CUploadCounts& other) {
    toSend += other.toSend;
    sent += other.sent;
    confirmed += other.confirmed;
    confirmedWhenAsked += other.confirmedWhenAsked;
    unconfirmed += other.unconfirmed;
    matched += other.matched;
    notApplied += other.notApplied;
    skipped += other.skipped;
    notFound += other.notFound;
    typeMismatch += other.typeMismatch;
    refused += other.refused;
    passedOver += other.passedOver;
    failedSends += other.failedSends;
    otherTcpGateway += other.otherTcpGateway;
    notReached += other.notReached;
    queriesRepeated += other.queriesRepeated;
    setsRepeated += other.setsRepeated;
    notReported += other.notReported;
    notInSchema += other.notInSchema;
    emptyValue += other.emptyValue;
    return *this;
}
