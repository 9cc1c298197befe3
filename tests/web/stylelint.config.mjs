// The page's styles: app/web/quadrant.css, and form1.css as make_page writes it.
export default {
  extends: ['stylelint-config-standard'],
  rules: {
    // The ids are the window's design's names: Form1, Text1, Command1, InputDialog.
    'selector-id-pattern': null,
    // The frame of the button that Enter presses is given, taken back and given again, in that
    // order; the rules stand in the order in which they read.
    'no-descending-specificity': null,
    // Safari before 16.4 knows no range notation.
    'media-feature-range-notation': 'prefix',
  },
  // form1.css holds only the design's numbers, a rule a line.
  overrides: [{
    files: ['**/form1.css'],
    rules: {'declaration-block-single-line-max-declarations': null},
  }],
};
