qrp_add_test(qrp_document_tests
  SOURCES document_test.cpp printer_settings_test.cpp print_test.cpp document_fixtures.cpp
  LIBS qrp_document qrp_fake_printer
  LABELS document)
