#pragma once

// Bits of the flag word passed to SpVoice::Speak.
enum SpeechVoiceSpeakFlags {
    SVSFDefault = 0,
    SVSFlagsAsync = 1,
    SVSFPurgeBeforeSpeak = 2,
    SVSFIsFilename = 4,
    SVSFIsXML = 8,
    SVSFIsNotXML = 16,
    SVSFPersistXML = 32,
    SVSFNLPSpeakPunc = 64,
};

enum SpeechStreamFileMode {
    SSFMOpenForRead = 0,
    SSFMOpenReadWrite = 1,
    SSFMCreate = 2,
    SSFMCreateForWrite = 3,
};
