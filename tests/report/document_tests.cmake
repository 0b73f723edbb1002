qrp_add_test(qrp_document_tests
  SOURCES document_test.cpp printer_settings_test.cpp print_test.cpp print_selection_test.cpp document_fixtures.cpp recording_test.cpp
          recording_spill_test.cpp recording_threads_test.cpp report_canvas_test.cpp
  LIBS qrp_document qrp_fake_printer qrp_recording_device
  LABELS document)
