// The page as make_page writes it from its template, and the one-file page: the standard, and what
// a screen reader needs.
export default {
  extends: ['html-validate:standard', 'html-validate:a11y'],
  rules: {
    // The one-file page names the files it carries by their names.
    'valid-id': ['error', {relaxed: true}],
    // The input dialog's prompt is written into its label as each question is asked.
    'input-missing-label': 'off',
  },
};
