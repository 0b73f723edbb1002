# EMF playback of arbitrary bytes.
qrp_add_fuzzer(emf_play_fuzz emf_play_fuzz.cpp qrp_emf)
